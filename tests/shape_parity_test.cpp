// Filled shapes drawn on both back-ends (software, and the recording Direct3D 9 device that
// rasterises by Direct3D 9's rules) give the same pixels: coverage exactly, colours within three
// steps per channel where the two round differently (the software fills tint a channel by
// (c × t) >> 8, the hardware by c × t / 255, and the blends round each in their own way).
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "graphics/hardware/hardware_state.h"
#include "image_fixture.h"

namespace {

using Scene = std::function<void()>;

class ShapeParityTest : public ImageEngineTest {
 protected:
  // The screen after the scene, 0x00RRGGBB, on one back-end.
  std::vector<std::uint32_t> Render(bool hardware, const Scene& scene) {
    StartEngine(hardware);
    SetClearColor(0x20, 0x40, 0x60);
    ClearScreen();
    scene();
    std::vector<std::uint32_t> pixels(800 * 600);
    if (hardware) {
      FlushVertexBatch();
      pixels = fake::BackBufferPixels();
    } else {
      const MEMIMG& s = GraphicsState.screenImage;
      for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x)
          pixels[y * 800 + x] = reinterpret_cast<const std::uint32_t*>(s.pixels + y * s.shared->pitch)[x];
      }
    }
    for (auto& p : pixels) p &= 0xFFFFFF;
    EndEngine();
    started_ = false;
    return pixels;
  }

  void ExpectSame(const Scene& scene, int tolerance) {
    const std::vector<std::uint32_t> soft = Render(false, scene), hard = Render(true, scene);
    int differing = 0, background = 0, largest = 0;
    std::string first;
    for (int i = 0; i < 800 * 600; ++i) {
      if (soft[i] == 0x204060) ++background;
      bool same = true;
      for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>(soft[i] >> shift & 0xFF), b = static_cast<int>(hard[i] >> shift & 0xFF);
        same &= std::abs(a - b) <= tolerance;
        largest = std::max(largest, std::abs(a - b));
      }
      if (!same && differing++ == 0) {
        char text[96];
        std::snprintf(text, sizeof text, "(%d, %d): software %06X, hardware %06X", i % 800, i / 800, soft[i], hard[i]);
        first = text;
      }
    }
    EXPECT_EQ(differing, 0) << "first at " << first << ", largest difference " << largest;
    EXPECT_LT(background, 800 * 600) << "the scene drew nothing";
  }
};

const std::uint32_t Colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFFC08040, 0xFF30A0F0};

void Shapes() {
  int i = 0;
  auto colour = [&] { return static_cast<int>(Colours[i++ % 6]); };
  DrawBox(10, 10, 60, 40, colour(), TRUE);
  DrawBox(70, 40, 20, 60, colour(), FALSE);  // corners in the other order
  DrawBox(100, 10, 101, 50, colour(), FALSE);
  DrawTriangle(150, 10, 250, 10, 200, 90, colour(), TRUE);     // flat top
  DrawTriangle(150, 100, 250, 180, 140, 180, colour(), TRUE);  // flat bottom
  DrawTriangle(300, 10, 301, 200, 299, 100, colour(), TRUE);   // a sliver
  DrawTriangle(300, 300, 400, 300, 350, 300, colour(), TRUE);  // no area
  DrawQuadrilateral(420, 20, 520, 40, 500, 140, 410, 120, colour(), TRUE);
  DrawQuadrilateral(540, 20, 640, 20, 640, 120, 540, 120, colour(), TRUE);
  DrawOval(100, 300, 60, 30, colour(), TRUE);
  DrawOval(250, 300, 30, 60, colour(), FALSE);
  DrawOval(350, 300, 0, 0, colour(), TRUE);
  DrawOval(400, 300, 5, 0, colour(), FALSE);
  // Partly outside the screen and the clip area.
  DrawOval(790, 590, 40, 40, colour(), TRUE);
  DrawTriangle(-50, 500, 100, 650, -10, 700, colour(), TRUE);
  SetClipArea(500, 400, 700, 500);
  DrawOval(600, 450, 150, 80, colour(), FALSE);
  DrawQuadrilateral(450, 380, 750, 420, 720, 520, 480, 510, colour(), TRUE);
  SetClipArea(0, 0, 800, 600);
}

TEST_F(ShapeParityTest, ShapesCoverTheSamePixels) { ExpectSame(Shapes, 0); }

// Every blend mode and a tint: a pixel blended twice (an edge shared by two triangles drawn into
// both) would show.
TEST_F(ShapeParityTest, BlendedAndTintedShapesMatchWithinThreeSteps) {
  ExpectSame(
      [] {
        DrawBox(0, 300, 800, 600, static_cast<int>(0xFFFFFFFF), TRUE);
        const int modes[][2] = {{BlendModeAlpha, 128},  {BlendModeAdd, 200},          {BlendModeSubtract, 90},
                                {BlendModeMultiply, 0}, {BlendModeInvertedAlpha, 77}, {BlendModeMultiplyAlpha, 160}};
        int row = 0;
        for (const auto& mode : modes) {
          SetBlendMode(mode[0], mode[1]);
          SetTint(255, 200, 100);
          const int y = 20 + row * 95;
          DrawQuadrilateral(20, y, 220, y + 10, 200, y + 80, 30, y + 70, static_cast<int>(0xFF4080C0), TRUE);
          DrawOval(320, y + 40, 60, 35, static_cast<int>(0xFFC04080), TRUE);
          DrawBox(420, y, 560, y + 80, static_cast<int>(0xFF80C040), FALSE);
          DrawTriangle(600, y, 780, y + 40, 610, y + 80, static_cast<int>(0xFF804020), TRUE);
          SetTint(255, 255, 255);
          ++row;
        }
        SetBlendMode(BlendModeNone, 0);
      },
      3);
}

// Random triangles fanned round shared corners, drawn at alpha 128 so that a pixel owned by
// two of them would differ.
TEST_F(ShapeParityTest, RandomTrianglesSharingEdges) {
  ExpectSame(
      [] {
        std::mt19937 random(7);
        SetBlendMode(BlendModeAlpha, 128);
        for (int fan = 0; fan < 12; ++fan) {
          const int cx = 50 + static_cast<int>(random() % 700), cy = 50 + static_cast<int>(random() % 500);
          int px = cx + static_cast<int>(random() % 81) - 40, py = cy - 40;
          for (int k = 0; k < 6; ++k) {
            const int nx = cx + static_cast<int>(random() % 121) - 60, ny = cy + static_cast<int>(random() % 121) - 60;
            DrawTriangle(cx, cy, px, py, nx, ny, static_cast<int>(Colours[k % 6]), TRUE);
            px = nx, py = ny;
          }
        }
        SetBlendMode(BlendModeNone, 0);
      },
      1);
}

TEST_F(ShapeParityTest, WithoutADeviceShapesFail) {
  StartEngine(true);
  IDirect3DDevice9* device = GraphicsState.device;
  GraphicsState.device = nullptr;
  EXPECT_EQ(DrawBox(0, 0, 10, 10, 0, TRUE), -1);
  EXPECT_EQ(DrawTriangle(0, 0, 10, 0, 0, 10, 0, TRUE), -1);
  EXPECT_EQ(DrawQuadrilateral(0, 0, 10, 0, 10, 10, 0, 10, 0, TRUE), -1);
  EXPECT_EQ(DrawOval(5, 5, 3, 3, 0, TRUE), -1);
  GraphicsState.device = device;
  EXPECT_EQ(DrawOval(5, 5, -1, 3, 0, TRUE), 0);
}

}  // namespace

namespace {

// Coordinates at int's ends, radii and scales far beyond the screen: nothing crashes, overflows
// or runs for long, on either back-end (the recording device only records, as a real device
// would clip).
TEST_F(ImageEngineTest, ShapesAndTurnedGraphicsTakeExtremeArguments) {
  for (bool hardware : {false, true}) {
    SCOPED_TRACE(hardware ? "hardware" : "software");
    StartEngine(hardware);
    fake::RasterisePrimitives(false);
    const int lo = INT_MIN, hi = INT_MAX;
    const std::uint32_t pixels[4] = {0xFFFFFFFF, 0xFF000000, 0x80FF0000, 0x00000000};
    const int handle = CreateGraphicFromPixels(2, 2, pixels, TRUE);
    for (int fill : {0, 1}) {
      EXPECT_EQ(DrawBox(lo, lo, hi, hi, 0, fill), 0);
      EXPECT_EQ(DrawTriangle(lo, lo, hi, 0, 0, hi, 0, fill), 0);
      EXPECT_EQ(DrawTriangle(hi, hi, hi, hi, hi, hi, 0, fill), 0);
      EXPECT_EQ(DrawQuadrilateral(lo, lo, hi, lo, hi, hi, lo, hi, 0, fill), 0);
      EXPECT_EQ(DrawOval(400, 300, hi, hi, 0, fill), 0);
      EXPECT_EQ(DrawOval(lo, hi, 5, 5, 0, fill), 0);
    }
    for (int sampling : {SamplingNearest, SamplingBilinear}) {
      SetDrawSampling(sampling);
      EXPECT_EQ(DrawGraphRotated(400, 300, 1e7, 0.3, handle, TRUE), 0);
      EXPECT_EQ(DrawGraphRotated(400, 300, 1e30, 0.3, handle, TRUE), 0);
      EXPECT_EQ(DrawGraphRotated(hi, lo, 1.0, 1e15, handle, TRUE), 0);
      EXPECT_EQ(DrawGraphRotated(400, 300, 1e-30, 0.0, handle, TRUE), 0);
      EXPECT_EQ(DrawGraphFourCorners(lo, lo, hi, lo, hi, hi, lo, hi, handle, TRUE), 0);
      EXPECT_EQ(DrawGraphFourCorners(0, 0, 799, 0, 0, 599, 799, 599, handle, TRUE), 0);  // crossed
    }
    SetDrawSampling(SamplingNearest);
    EndEngine();
    started_ = false;
    fake::ResetPlatform();
  }
}

}  // namespace
