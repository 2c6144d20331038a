// The OpenGL device under X (xvfb-run): a frame equal to the last one is presented from the
// picture its target kept, and everything that could make the kept picture wrong makes the next
// frame draw again: reads, fills, copies, texture uploads, target switches and a reset.
#include <functional>
#include <vector>

#include "gl_renderer_fixture.h"

namespace {

using namespace gl_fixture;
using GlKeptFrameTest = GlRendererFixture;

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
      {"a fill of part of the target",
       [&] {
         renderer_.Fill(target_, gl::PixelBounds{0, 0, 4, 4}, Blue);
       }},
      {"a copy onto the target",
       [&] {
         renderer_.Copy(other_, gl::PixelBounds{0, 0, 4, 4}, target_, gl::PixelBounds{0, 0, 4, 4}, false);
       }},
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

// A frame too large to keep (here a draw of 300 000 points) runs as it goes and is drawn every
// time, rather than growing without end in a program that never presents.
TEST_F(GlKeptFrameTest, AFrameTooLargeToKeepIsDrawnEachTime) {
  std::vector<gl::SourceVertex> points(300000, gl::SourceVertex{3, 4, 0, Blue, {0, 0}, {0, 0}});
  for (int i = 0; i < 2; ++i) {
    renderer_.Fill(target_, gl::PixelBounds{0, 0, Width, Height}, Black);
    ASSERT_TRUE(renderer_.Draw(gl::Primitive::PointList, points.data(), points.size(),
                               static_cast<unsigned>(points.size()), Plain()));
    EXPECT_FALSE(Present()) << i;
  }
  EXPECT_EQ(Pixel(3, 4), Blue);
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
