// Graphics drawn rotated, scaled and to four corners on both back-ends (software, and the
// recording Direct3D 9 device, which samples as Direct3D 9 does, nearest or linear) give the
// same pixels: the same coverage, and colours within a stated tolerance.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

#include "graphics/hardware/hardware_state.h"
#include "image_fixture.h"

namespace {

struct Difference {
  int pixels = 0;   // differing by more than the tolerance
  int largest = 0;  // largest channel difference anywhere
  int drawn = 0;    // pixels the scene changed
};

class TransformParityTest : public ImageEngineTest {
 protected:
  std::vector<std::uint32_t> Render(bool hardware, const std::function<void()>& scene) {
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

  Difference Compare(const std::function<void()>& scene, int tolerance) {
    const std::vector<std::uint32_t> soft = Render(false, scene), hard = Render(true, scene);
    Difference d;
    for (int i = 0; i < 800 * 600; ++i) {
      if (soft[i] != 0x204060 || hard[i] != 0x204060) ++d.drawn;
      int worst = 0;
      for (int shift : {0, 8, 16}) {
        worst = std::max(
            worst, std::abs(static_cast<int>(soft[i] >> shift & 0xFF) - static_cast<int>(hard[i] >> shift & 0xFF)));
      }
      d.largest = std::max(d.largest, worst);
      if (worst > tolerance) {
        if (d.pixels++ < 3) std::printf("(%d, %d): software %06X hardware %06X\n", i % 800, i / 800, soft[i], hard[i]);
      }
    }
    std::printf("drawn %d, beyond the tolerance %d, largest difference %d\n", d.drawn, d.pixels, d.largest);
    return d;
  }
};

// A 24 × 16 sprite: a colour gradient with an alpha ramp and a clear border, and a keyed twin.
std::vector<std::uint32_t> SpritePixels(bool alpha) {
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 24; ++x) {
      const bool border = x == 0 || y == 0 || x == 23 || y == 15;
      const std::uint32_t a = alpha ? (border ? 0u : 80u + 7u * static_cast<std::uint32_t>(x)) : 255u;
      const std::uint32_t rgb =
          border && !alpha ? 0x000000u
                           : static_cast<std::uint32_t>(x * 10) << 16 | static_cast<std::uint32_t>(y * 15) << 8 | 0xC0u;
      pixels.push_back(a << 24 | rgb);
    }
  }
  return pixels;
}

void Scene(int sampling) {
  SetDrawSampling(sampling);
  const auto translucent = SpritePixels(true), keyed = SpritePixels(false);
  const int a = CreateGraphicFromPixels(24, 16, translucent.data(), TRUE);
  const int k = CreateGraphicFromPixels(24, 16, keyed.data(), FALSE);
  int n = 0;
  for (double angle : {0.0, 0.3, 1.0, 2.2, 3.14159265358979, -0.7}) {
    for (double scale : {1.0, 2.5, 0.6}) {
      const int x = 60 + (n % 9) * 85, y = 50 + (n / 9) * 110;
      DrawGraphRotated(x, y, scale, angle, n % 2 ? a : k, TRUE);
      ++n;
    }
  }
  SetBlendMode(BlendModeAlpha, 160);
  DrawGraphRotated(700, 450, 3.0, 0.5, a, TRUE);
  SetBlendMode(BlendModeAdd, 255);
  DrawGraphRotated(560, 450, 2.0, -0.4, k, TRUE);
  SetBlendMode(BlendModeNone, 0);
  DrawGraphFourCorners(40, 380, 200, 400, 230, 520, 20, 560, a, TRUE);
  DrawGraphFourCorners(260, 380, 420, 380, 420, 540, 260, 540, k, FALSE);
  DrawGraphRotated(790, 10, 4.0, 0.9, a, TRUE);  // partly off the screen
  if (sampling == SamplingBilinear) {
    // Stretched graphics sample bilinear on both back-ends alike; sampled nearest, the software
    // keeps its own stepping of the source (SoftDrawImageScaled), which picks other texels.
    DrawGraphStretched(450, 380, 630, 470, a, TRUE);
    DrawGraphStretched(790, 480, 640, 590, k, TRUE);  // mirrored
  }
  SetDrawSampling(SamplingNearest);
}

// Nearest: the same coverage and the same texels, but for samples that fall within rounding of
// a texel's edge, where the two may pick neighbours.
TEST_F(TransformParityTest, NearestSamplingMatches) {
  const Difference d = Compare([] { Scene(SamplingNearest); }, 3);
  EXPECT_GT(d.drawn, 20000);
  EXPECT_LE(d.pixels, d.drawn / 500) << "largest difference " << d.largest;
}

// Bilinear: the two mix the same four texels by the same weights, rounding each in its own way.
TEST_F(TransformParityTest, BilinearSamplingMatchesWithinThreeSteps) {
  const Difference d = Compare([] { Scene(SamplingBilinear); }, 3);
  EXPECT_GT(d.drawn, 20000);
  EXPECT_LE(d.pixels, d.drawn / 500) << "largest difference " << d.largest;
}

TEST_F(TransformParityTest, SettingsAndRefusals) {
  StartEngine(false);
  EXPECT_EQ(GetDrawSampling(), SamplingNearest);
  EXPECT_EQ(SetDrawSampling(2), -1);
  EXPECT_EQ(SetDrawSampling(SamplingBilinear), 0);
  EXPECT_EQ(GetDrawSampling(), SamplingBilinear);
  EXPECT_EQ(SetDrawSampling(SamplingNearest), 0);
  const auto pixels = SpritePixels(true);
  const int handle = CreateGraphicFromPixels(24, 16, pixels.data(), TRUE);
  EXPECT_EQ(DrawGraphRotated(10, 10, 1.0, 0.0, -1, TRUE), -1);
  EXPECT_EQ(DrawGraphRotated(10, 10, NAN, 0.0, handle, TRUE), -1);
  EXPECT_EQ(DrawGraphRotated(10, 10, 1.0, INFINITY, handle, TRUE), -1);
  EXPECT_EQ(DrawGraphRotated(10, 10, 0.0, 1.0, handle, TRUE), 0);
  EXPECT_EQ(DrawGraphRotated(10, 10, 1e30, 1.0, handle, TRUE), 0);
  EXPECT_EQ(DrawGraphFourCorners(0, 0, 0, 0, 0, 0, 0, 0, handle, TRUE), 0);
  EXPECT_EQ(DrawGraphFourCorners(0, 0, 1, 0, 1, 1, 0, 1, 0x7FFFFFFF, TRUE), -1);
}

// Unturned at scale 1, a rotated draw puts every pixel where DrawGraphAt does.
TEST_F(TransformParityTest, UnturnedIsDrawGraphAt) {
  for (bool hardware : {false, true}) {
    SCOPED_TRACE(hardware ? "hardware" : "software");
    const auto pixels = SpritePixels(false);
    std::vector<std::uint32_t> at, rotated;
    for (int pass = 0; pass < 2; ++pass) {
      std::vector<std::uint32_t>& out = pass == 0 ? at : rotated;
      out = Render(hardware, [&] {
        const int handle = CreateGraphicFromPixels(24, 16, pixels.data(), FALSE);
        if (pass == 0) {
          DrawGraphAt(88, 42, handle, FALSE);
        } else {
          DrawGraphRotated(100, 50, 1.0, 0.0, handle, FALSE);
        }
      });
    }
    EXPECT_TRUE(at == rotated);
  }
}

}  // namespace
