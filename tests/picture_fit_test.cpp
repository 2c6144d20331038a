// Placing a window's picture on an output of another size, mapping the pointer back and
// scaling the pixels.
#include "picture_fit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(PictureFit, PlacesThePictureByTheLargestWholeFactorOrShrinksItToFit) {
  struct Case {
    int pw, ph, ow, oh;
    int x, y, w, h;
  };
  const Case cases[] = {
      {800, 600, 800, 600, 0, 0, 800, 600},          // same size
      {800, 600, 1280, 1024, 240, 212, 800, 600},    // one whole factor fits: centred, bars all round
      {800, 600, 3840, 2160, 720, 180, 2400, 1800},  // a 4K desktop: three times
      {800, 600, 1600, 1200, 0, 0, 1600, 1200},      // exactly twice
      {800, 600, 1599, 1200, 399, 300, 800, 600},    // one pixel short of twice: stays whole
      {800, 600, 640, 480, 0, 0, 640, 480},          // smaller display, same aspect
      {800, 600, 640, 400, 53, 0, 533, 400},         // smaller and wider: bars left and right
      {800, 600, 700, 600, 0, 37, 700, 525},         // narrower: bars above and below
      {800, 600, 1, 1, 0, 0, 1, 1},                  // never below one pixel
      {800, 600, 0, -5, 0, 0, 1, 1},                 // sides below one count as one
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pw << "x" << c.ph << " on " << c.ow << "x" << c.oh);
    const PictureFit fit = FitPicture(c.pw, c.ph, c.ow, c.oh);
    EXPECT_EQ(fit.x, c.x);
    EXPECT_EQ(fit.y, c.y);
    EXPECT_EQ(fit.width, c.w);
    EXPECT_EQ(fit.height, c.h);
    EXPECT_EQ(fit.Identity(), c.pw == c.ow && c.ph == c.oh);
  }
}

TEST(PictureFit, PointerMapsToThePictureAndBarsToTheNearestEdge) {
  const PictureFit twice = FitPicture(800, 600, 1700, 1300);  // 1600 x 1200 at (50, 50)
  const PictureFit shrunk = FitPicture(800, 600, 600, 450);   // three quarters
  struct Case {
    const PictureFit* fit;
    int ox, oy, px, py;
  };
  const Case cases[] = {
      {&twice, 50, 50, 0, 0},         {&twice, 51, 51, 0, 0},       {&twice, 52, 53, 1, 1},
      {&twice, 1649, 1249, 799, 599}, {&twice, 10, 700, 0, 325},     // left bar
      {&twice, 1690, 20, 799, 0},     {&twice, -300, 5000, 0, 599},  // beyond the output
      {&shrunk, 0, 0, 0, 0},          {&shrunk, 3, 3, 4, 4},        {&shrunk, 599, 449, 799, 599},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "output " << c.ox << ", " << c.oy);
    const POINT p = OutputToPicture(*c.fit, c.ox, c.oy);
    EXPECT_EQ(p.x, c.px);
    EXPECT_EQ(p.y, c.py);
  }
}

TEST(PictureFit, RectanglesOfThePictureTileTheOutputWithoutGapsOrOverlaps) {
  const PictureFit fit = FitPicture(800, 600, 1000, 700);  // shrunk by 7/6 in height: 933 x 700
  const RECT whole = PictureToOutput(fit, RECT{0, 0, 800, 600});
  EXPECT_EQ(whole.left, fit.x);
  EXPECT_EQ(whole.top, fit.y);
  EXPECT_EQ(whole.right, fit.x + fit.width);
  EXPECT_EQ(whole.bottom, fit.y + fit.height);
  // Every output pixel of a rectangle shows a picture pixel of that rectangle.
  const RECT left = PictureToOutput(fit, RECT{0, 0, 333, 600});
  const RECT right = PictureToOutput(fit, RECT{333, 0, 800, 600});
  EXPECT_EQ(left.right, right.left);
  EXPECT_EQ(OutputToPicture(fit, left.right - 1, 0).x, 332);
  EXPECT_EQ(OutputToPicture(fit, right.left, 0).x, 333);
}

TEST(PictureFit, ScalingRepeatsPixelsAndPaintsTheBarsBlack) {
  // A 2 x 2 picture on a 6 x 5 output: twice, at (1, 0), bars of one column left and right and
  // one row below.
  std::vector<std::uint32_t> picture = {0xFF112233, 0x00445566, 0x00778899, 0x00AABBCC};
  std::vector<std::uint32_t> output(30, 0x00DEAD00);
  const PictureFit fit = FitPicture(2, 2, 6, 5);
  ASSERT_EQ(fit.x, 1);
  ASSERT_EQ(fit.y, 0);
  ScalePicture(fit, Canvas{picture.data(), 2, 2, 2}, Canvas{output.data(), 6, 5, 6});
  const std::uint32_t a = 0x112233, b = 0x445566, c = 0x778899, d = 0xAABBCC;
  const std::vector<std::uint32_t> expected = {
      0, a, a, b, b, 0,  //
      0, a, a, b, b, 0,  //
      0, c, c, d, d, 0,  //
      0, c, c, d, d, 0,  //
      0, 0, 0, 0, 0, 0,  //
  };
  EXPECT_EQ(output, expected);
}

TEST(PictureFit, ScalingDownPicksThePixelUnderEachOutputCentre) {
  // Four columns onto three: output centres 0.5, 1.5, 2.5 fall on picture columns 0, 2, 3.
  std::vector<std::uint32_t> picture = {1, 2, 3, 4};
  std::vector<std::uint32_t> output(3, 0xFFFFFF);
  const PictureFit fit = FitPicture(4, 1, 3, 1);
  ASSERT_EQ(fit.width, 3);
  ScalePicture(fit, Canvas{picture.data(), 4, 1, 4}, Canvas{output.data(), 3, 1, 3});
  EXPECT_EQ(output, (std::vector<std::uint32_t>{1, 3, 4}));
}

}  // namespace
