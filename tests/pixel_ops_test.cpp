#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "graphics/soft/blend_tables.h"
#include "graphics/soft/pixel_ops.h"
#include "graphics/soft/solid_runs.h"
#include "graphics/soft/blit_table.h"
#include "soft_reference.h"
#include "vornek.h"

namespace {

class PixelOps : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { BuildSoftBlendTables(); }
};

template <class Format, BlendKind Kind>
std::uint32_t ApplyKind(std::uint32_t d, std::uint32_t s, int p) {
  const BlendOp<Format, Kind> op(p);
  return op.Apply(static_cast<typename Format::Pixel>(d), op.Prepare(s));
}

template <class Format>
std::uint32_t Apply(int mode, int p, std::uint32_t d, std::uint32_t s) {
  switch (ResolveBlendKind(mode, p)) {
    case BlendKind::Nothing:
      return d;
    case BlendKind::Copy:
      return ApplyKind<Format, BlendKind::Copy>(d, s, p);
    case BlendKind::Alpha:
      return ApplyKind<Format, BlendKind::Alpha>(d, s, p);
    case BlendKind::Add:
      return ApplyKind<Format, BlendKind::Add>(d, s, p);
    case BlendKind::Subtract:
      return ApplyKind<Format, BlendKind::Subtract>(d, s, p);
    case BlendKind::Multiply:
      return ApplyKind<Format, BlendKind::Multiply>(d, s, p);
    case BlendKind::InvertedAlpha:
      return ApplyKind<Format, BlendKind::InvertedAlpha>(d, s, p);
    case BlendKind::MultiplyAlpha:
      return ApplyKind<Format, BlendKind::MultiplyAlpha>(d, s, p);
  }
  return d;
}

const int kModes[] = {BlendModeNone,     BlendModeAlpha,         BlendModeAdd,          BlendModeSubtract,
                      BlendModeMultiply, BlendModeInvertedAlpha, BlendModeMultiplyAlpha};

TEST_F(PixelOps, ComputedScalingMatchesTheTables) {
  for (int p = 0; p < 256; ++p) {
    for (int c = 0; c < 256; ++c) ASSERT_EQ(pixel_detail::ScaleExact(p, c), static_cast<std::uint32_t>(ScaleTable[p][c]));
    for (int d = -255; d <= 255; ++d) ASSERT_EQ(pixel_detail::SignedScaleExact(p, d), SignedScale(p, d)) << p << " " << d;
  }
}

TEST_F(PixelOps, KnownValues) {
  struct Case {
    bool is16;
    int mode, p;
    std::uint32_t d, s, expected;
  };
  const Case cases[] = {
      {false, BlendModeNone, 0, 0x11223344, 0xAABBCCDD, 0xAABBCCDD},  // whole value, filler included
      {true, BlendModeNone, 0, 0x1234, 0xAABBCCDD, 0xCCDD},
      {false, BlendModeAlpha, 255, 0x11223344, 0xAABBCCDD, 0xAABBCCDD},
      {false, BlendModeAlpha, 0, 0x11223344, 0xAABBCCDD, 0x11223344},
      {false, BlendModeAlpha, 128, 0x00000000, 0xFFFFFFFF, 0x007F7F7F},  // filler byte of d kept
      {true, BlendModeAlpha, 128, 0x0000, 0xFFFF, 0x7BEF},               // 15, 31, 15
      {false, BlendModeAdd, 255, 0x00FF8001, 0xFF01807F, 0x00FFFF80},  // red and green lowest bits are ORed
      {false, BlendModeAdd, 255, 0x00FF0000, 0x00FF0000, 0x01FF0000},  // red carries into the filler
      {false, BlendModeAdd, 0, 0x00102030, 0xFFFFFFFF, 0x00102030},
      {false, BlendModeSubtract, 255, 0xFF102030, 0xFF2010FF, 0x00001000},
      {true, BlendModeAdd, 255, 0xFFFF, 0xFFFF, 0xFFFF},
      {true, BlendModeSubtract, 255, 0x0000, 0xFFFF, 0x0000},
      {false, BlendModeMultiply, 7, 0x80FF8040, 0x00FFFF80, 0x80FE7F20},
      {true, BlendModeMultiply, 7, 0xFFFF, 0xFFFF, 0xF7DE},
      {false, BlendModeInvertedAlpha, 255, 0x00000000, 0x00FF00FF, 0x0000FE00},
      {false, BlendModeMultiplyAlpha, 255, 0x00FFFFFF, 0x00808080, 0x007F7F7F},
      {false, 5, 255, 0x12345678, 0xFFFFFFFF, 0x12345678},  // unknown modes change nothing
      {true, -1, 255, 0x1234, 0xFFFF, 0x1234},
  };
  for (const Case& c : cases) {
    const std::uint32_t got = c.is16 ? Apply<Rgb565>(c.mode, c.p, c.d, c.s) : Apply<Rgb32>(c.mode, c.p, c.d, c.s);
    EXPECT_EQ(got, c.expected) << "mode " << c.mode << " p " << c.p << std::hex << " d " << c.d << " s " << c.s;
    const std::uint32_t modelled =
        reference::ModeDraws(c.mode, c.p) ? reference::BlendPixel(c.d, c.s, c.is16, c.mode, c.p) : c.d;
    EXPECT_EQ(modelled, c.expected) << "model, mode " << c.mode;
  }
}

// Every 16-bit destination, and random 32-bit ones, against the literal model.
TEST_F(PixelOps, MatchTheReferenceOnEveryMode) {
  std::mt19937 random(12345);
  for (int mode : kModes) {
    for (int trial = 0; trial < 24; ++trial) {
      const int p = trial < 3 ? (trial == 0 ? 0 : trial == 1 ? 128 : 255) : static_cast<int>(random() % 256);
      const std::uint32_t s = random();
      for (std::uint32_t d = 0; d < 0x10000; d += 1 + (trial & 1)) {
        const std::uint32_t want = reference::ModeDraws(mode, p) ? reference::BlendPixel(d, s, true, mode, p) : d;
        ASSERT_EQ(Apply<Rgb565>(mode, p, d, s), want) << "mode " << mode << " p " << p << std::hex << " d " << d << " s " << s;
      }
      for (int k = 0; k < 4000; ++k) {
        const std::uint32_t d = random();
        const std::uint32_t want = reference::ModeDraws(mode, p) ? reference::BlendPixel(d, s, false, mode, p) : d;
        ASSERT_EQ(Apply<Rgb32>(mode, p, d, s), want) << "mode " << mode << " p " << p << std::hex << " d " << d << " s " << s;
      }
    }
  }
}

// Runs of every length up to a few registers, several to a batch, each between guard pixels
// that must come through untouched, on the baseline and the wide loops.
class SolidRuns : public PixelOps, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override { WideBlitsAllowed = GetParam(); }
  void TearDown() override { WideBlitsAllowed = true; }
};

TEST_P(SolidRuns, MatchTheReference) {
  std::mt19937 random(777);
  constexpr int kGuard = 3;
  for (bool is16 : {false, true}) {
    const std::size_t bytes = is16 ? 2 : 4;
    for (int mode : kModes) {
      for (int trial = 0; trial < 60; ++trial) {
        const int p = trial < 3 ? (trial == 0 ? 0 : trial == 1 ? 1 : 255) : static_cast<int>(random() % 256);
        const std::uint32_t s = random();
        const BlendKind kind = ResolveBlendKind(mode, p);
        if (kind == BlendKind::Nothing) continue;
        // Lengths 1 to 40 side by side in one buffer, each with guards on both sides.
        std::vector<int> lengths;
        for (int n = 1; n <= 40; ++n) lengths.push_back(n);
        std::shuffle(lengths.begin(), lengths.end(), random);
        std::vector<std::uint32_t> pixels;
        std::vector<SolidRun> runs;
        std::vector<std::size_t> starts;
        for (int n : lengths) {
          pixels.resize(pixels.size() + kGuard);
          starts.push_back(pixels.size());
          pixels.resize(pixels.size() + static_cast<std::size_t>(n));
        }
        pixels.resize(pixels.size() + kGuard);
        for (auto& d : pixels) d = is16 ? random() & 0xFFFF : random();
        std::vector<std::uint32_t> want = pixels;
        for (std::size_t k = 0; k < lengths.size(); ++k) {
          for (int i = 0; i < lengths[k]; ++i) {
            std::uint32_t& d = want[starts[k] + static_cast<std::size_t>(i)];
            d = reference::BlendPixel(d, s, is16, mode, p);
          }
        }
        std::vector<std::uint8_t> storage(pixels.size() * bytes);
        for (std::size_t i = 0; i < pixels.size(); ++i) std::memcpy(&storage[i * bytes], &pixels[i], bytes);
        for (std::size_t k = 0; k < lengths.size(); ++k) runs.push_back({&storage[starts[k] * bytes], lengths[k]});
        FindSolidRuns(!is16, kind)(runs.data(), static_cast<int>(runs.size()), s, static_cast<std::uint32_t>(p));
        for (std::size_t i = 0; i < pixels.size(); ++i) {
          std::uint32_t got = 0;
          std::memcpy(&got, &storage[i * bytes], bytes);
          ASSERT_EQ(got, want[i]) << (is16 ? "16" : "32") << "-bit mode " << mode << " p " << p << " pixel " << i
                                  << std::hex << " s " << s;
        }
      }
    }
  }
}

// The second registration of this binary sets VORNEK_SOFT_GENERAL=1; unless the runs then leave
// the vector loops, that registration proves nothing the first did not.
TEST_F(PixelOps, GeneralSwitchLeavesTheVectorRuns) {
  const char* setting = std::getenv("VORNEK_SOFT_GENERAL");
  const bool general = setting != nullptr && std::strcmp(setting, "1") == 0;
  for (BlendKind kind : {BlendKind::Copy, BlendKind::Alpha, BlendKind::MultiplyAlpha}) {
    const SolidRunsFn runs32 = FindSolidRuns(true, kind), runs16 = FindSolidRuns(false, kind);
    EXPECT_EQ(runs32 == FindSolidRuns32(kind) || runs32 == FindSolidRuns32Wide(kind), !general);
    EXPECT_EQ(runs16 == FindSolidRuns16(kind) || runs16 == FindSolidRuns16Wide(kind), !general);
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, SolidRuns, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& width) { return width.param ? "Wide" : "Baseline"; });

}  // namespace
