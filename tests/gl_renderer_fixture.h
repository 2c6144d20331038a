// A renderer on a hidden window under X (xvfb-run) with a target drawn on, a second target and
// two 2 × 2 textures, and a small frame to draw on it. Tests skip without a display.
#pragma once

#include <gtest/gtest.h>

#include <SDL.h>

#include <string>

#include "../platform/sdl/gl_renderer.h"
#include "support/gl_test_window.h"

namespace gl_fixture {

constexpr int Width = 32, Height = 24;
constexpr std::uint32_t Black = 0xFF000000, Red = 0xFFFF0000, Green = 0xFF00FF00, Blue = 0xFF0000FF;

class GlRendererFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { window_ = OpenGlTestWindow("gl renderer", Width, Height); }
  static void TearDownTestSuite() { CloseGlTestWindow(window_); }

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

  static inline SDL_Window* window_ = nullptr;
  gl::Renderer renderer_;
  gl::Target target_, other_;
  GLuint texture_ = 0, unused_ = 0;
};

}  // namespace gl_fixture
