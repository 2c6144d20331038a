// The OpenGL device under X (xvfb-run): a frame equal to the last one is presented from the
// picture its target kept, and everything that could make the kept picture wrong makes the next
// frame draw again: reads, fills, copies, texture uploads, target switches and a reset.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "../platform/sdl/gl_renderer.h"

namespace {

constexpr int Width = 32, Height = 24;
constexpr std::uint32_t Black = 0xFF000000, Red = 0xFFFF0000, Green = 0xFF00FF00, Blue = 0xFF0000FF;

class GlKeptFrameTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (std::getenv("DISPLAY") == nullptr) return;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return;
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    window_ = SDL_CreateWindow("kept frames", 0, 0, Width, Height, SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL);
  }
  static void TearDownTestSuite() {
    if (window_ != nullptr) SDL_DestroyWindow(window_);
    window_ = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  void SetUp() override {
    if (window_ == nullptr) GTEST_SKIP() << "no X display with OpenGL";
    std::string error;
    ASSERT_TRUE(renderer_.Start(window_, &error)) << error;
    ASSERT_TRUE(renderer_.CreateTarget(Width, Height, false, &target_));
    ASSERT_TRUE(renderer_.CreateTarget(Width, Height, false, &other_));
    texture_ = renderer_.CreateTexture(2, 2);
    unused_ = renderer_.CreateTexture(2, 2);
    ASSERT_NE(texture_, 0u);
    Upload(texture_, Green);
    Upload(unused_, Green);
    renderer_.SetTarget(&target_);
  }
  void TearDown() override {
    if (!renderer_.started()) return;
    renderer_.DestroyTexture(texture_);
    renderer_.DestroyTexture(unused_);
    renderer_.DestroyTarget(other_);
    renderer_.DestroyTarget(target_);
    renderer_.Stop();
  }

  void Upload(GLuint texture, std::uint32_t argb) {
    const std::uint32_t texels[4] = {argb, argb, argb, argb};
    renderer_.UploadTexture(texture, 0, 0, 2, 2, texels, 8);
  }

  gl::DrawSettings Plain() const { return gl::MakeDrawSettings(gl::PixelBounds{0, 0, Width, Height}); }
  gl::DrawSettings Textured() const {
    gl::DrawSettings s = Plain();
    s.program.stages[0] = gl::StageOps{gl::stage::SelectArg1, gl::stage::Texture, gl::stage::Current,
                                       gl::stage::SelectArg1, gl::stage::Texture, gl::stage::Current};
    s.program.textured[0] = 1;
    s.textures[0] = texture_;
    return s;
  }

  // The frame: black, a red run along row 2, a blue disc-like block of runs, and the texture on
  // a square at (16, 8)..(24, 16).
  void DrawFrame(std::uint32_t runColour = Red) {
    renderer_.Fill(target_, gl::PixelBounds{0, 0, Width, Height}, Black);
    const gl::SourceVertex run[] = {{2, 2, 0, runColour, {0, 0}, {0, 0}}, {12, 2, 0, runColour, {0, 0}, {0, 0}}};
    ASSERT_TRUE(renderer_.Draw(gl::Primitive::LineList, run, 2, 1, Plain()));
    for (int y = 6; y < 12; ++y) {
      const float row = static_cast<float>(y);
      const gl::SourceVertex block[] = {{2, row, 0, Blue, {0, 0}, {0, 0}}, {8, row, 0, Blue, {0, 0}, {0, 0}}};
      ASSERT_TRUE(renderer_.Draw(gl::Primitive::LineList, block, 2, 1, Plain()));
    }
    const auto corner = [](float x, float y, float u, float v) {
      return gl::SourceVertex{x - 0.5f, y - 0.5f, 0, 0xFFFFFFFF, {u, 0}, {v, 0}};
    };
    const gl::SourceVertex square[] = {corner(16, 8, 0, 0), corner(24, 8, 1, 0), corner(16, 16, 0, 1),
                                       corner(24, 16, 1, 1)};
    ASSERT_TRUE(renderer_.Draw(gl::Primitive::TriangleStrip, square, 4, 2, Textured()));
  }

  // Presents; true when the frame was presented from the kept picture.
  bool Present() {
    const std::uint64_t before = renderer_.framesKept();
    renderer_.Present(target_, nullptr, nullptr, false);
    return renderer_.framesKept() == before + 1;
  }

  std::uint32_t Pixel(int x, int y) {
    std::uint32_t bgra = 0;
    renderer_.Read(target_, gl::PixelBounds{x, y, x + 1, y + 1}, &bgra, 4);
    return bgra;
  }

  static SDL_Window* window_;
  gl::Renderer renderer_;
  gl::Target target_, other_;
  GLuint texture_ = 0, unused_ = 0;
};

SDL_Window* GlKeptFrameTest::window_ = nullptr;

TEST_F(GlKeptFrameTest, AnUnchangedFrameIsPresentedFromTheKeptPicture) {
  DrawFrame();
  EXPECT_FALSE(Present()) << "the first frame is drawn";
  const std::uint64_t draws = renderer_.drawCalls();
  for (int i = 0; i < 3; ++i) {
    DrawFrame();
    EXPECT_TRUE(Present()) << i;
  }
  EXPECT_EQ(renderer_.drawCalls(), draws) << "a kept frame sends nothing to OpenGL";
  EXPECT_EQ(Pixel(5, 2), Red);
  EXPECT_EQ(Pixel(4, 8), Blue);
  EXPECT_EQ(Pixel(20, 12), Green);
  DrawFrame(Blue);
  EXPECT_FALSE(Present()) << "another frame";
  EXPECT_EQ(Pixel(5, 2), Blue);
}

// Each of these, between two equal frames, makes the second draw again, and its picture is the
// one the frame draws.
TEST_F(GlKeptFrameTest, WhatMayChangeTheKeptPictureMakesTheNextFrameDraw) {
  std::uint32_t textureColour = Green;
  std::uint32_t upload = Red;
  const struct {
    const char* name;
    std::function<void()> between;
  } cases[] = {
      {"a read of the target", [&] { Pixel(0, 0); }},
      {"a read of a texture",
       [&] {
         std::uint32_t texels[4];
         renderer_.ReadTexture(texture_, 2, 2, gl::PixelBounds{0, 0, 2, 2}, texels, 8);
       }},
      {"a fill of part of the target", [&] { renderer_.Fill(target_, gl::PixelBounds{0, 0, 4, 4}, Blue); }},
      {"a copy onto the target",
       [&] { renderer_.Copy(other_, gl::PixelBounds{0, 0, 4, 4}, target_, gl::PixelBounds{0, 0, 4, 4}, false); }},
      {"an upload to the texture the frame draws with",
       [&] {
         textureColour = upload;
         Upload(texture_, upload);
         upload = upload == Red ? Green : Red;
       }},
      {"a switch to another target and back",
       [&] {
         renderer_.SetTarget(&other_);
         renderer_.SetTarget(&target_);
       }},
      {"a reset: the target made again",
       [&] {
         renderer_.SetTarget(nullptr);
         renderer_.DestroyTarget(target_);
         ASSERT_TRUE(renderer_.CreateTarget(Width, Height, false, &target_));
         renderer_.SetTarget(&target_);
       }},
  };
  for (const auto& c : cases) {
    DrawFrame();
    Present();
    DrawFrame();
    ASSERT_TRUE(Present()) << c.name << ": the frame before is kept";
    c.between();
    DrawFrame();
    EXPECT_FALSE(Present()) << c.name;
    EXPECT_EQ(Pixel(0, 0), Black) << c.name;
    EXPECT_EQ(Pixel(5, 2), Red) << c.name;
    EXPECT_EQ(Pixel(20, 12), textureColour) << c.name;
  }
}

TEST_F(GlKeptFrameTest, AnUploadToATextureTheFrameDoesNotUseKeepsIt) {
  DrawFrame();
  Present();
  Upload(unused_, Blue);
  DrawFrame();
  EXPECT_TRUE(Present());
}

// An upload to a texture that recorded draws use comes after them: they show the old texels,
// the draws after it the new ones.
TEST_F(GlKeptFrameTest, AnUploadComesAfterTheDrawsRecordedBeforeIt) {
  DrawFrame();
  Upload(texture_, Blue);
  const auto corner = [](float x, float y, float u, float v) {
    return gl::SourceVertex{x - 0.5f, y - 0.5f, 0, 0xFFFFFFFF, {u, 0}, {v, 0}};
  };
  const gl::SourceVertex square[] = {corner(26, 8, 0, 0), corner(30, 8, 1, 0), corner(26, 12, 0, 1),
                                     corner(30, 12, 1, 1)};
  ASSERT_TRUE(renderer_.Draw(gl::Primitive::TriangleStrip, square, 4, 2, Textured()));
  EXPECT_FALSE(Present());
  EXPECT_EQ(Pixel(20, 12), Green);
  EXPECT_EQ(Pixel(28, 10), Blue);
}

// A frame whose picture depends on the one before (here it blends onto it, with no fill first)
// is drawn every time.
TEST_F(GlKeptFrameTest, AFrameThatDrawsOnThePictureBeforeIsAlwaysDrawn) {
  renderer_.Fill(target_, gl::PixelBounds{0, 0, Width, Height}, Black);
  Present();
  gl::DrawSettings add = Plain();
  add.blend = 1;
  add.sourceFactor = GL_ONE;
  add.destinationFactor = GL_ONE;
  const gl::SourceVertex run[] = {{0, 1, 0, 0xFF202020, {0, 0}, {0, 0}}, {4, 1, 0, 0xFF202020, {0, 0}, {0, 0}}};
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(renderer_.Draw(gl::Primitive::LineList, run, 2, 1, add));
    EXPECT_FALSE(Present()) << i;
  }
  EXPECT_EQ(Pixel(1, 1), 0xFF606060u);
}

// Benchmarks and tests may ask for every frame to be drawn.
TEST_F(GlKeptFrameTest, KeepingCanBeTurnedOff) {
  gl::KeepUnchangedFrames(false);
  DrawFrame();
  Present();
  DrawFrame();
  EXPECT_FALSE(Present());
  gl::KeepUnchangedFrames(true);
  DrawFrame();
  Present();
  DrawFrame();
  EXPECT_TRUE(Present());
}

}  // namespace
