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
#include "graphics/soft/loop_table.h"
#include "soft_reference.h"
#include "vornek.h"

namespace {

class PixelOps : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { BuildSoftBlendTables(); }
};

template <class Format, BlendOp Op>
std::uint32_t ApplyOp(std::uint32_t d, std::uint32_t s, int p) {
  const PixelBlend<Format, Op> op(p);
  return op.Apply(static_cast<typename Format::Pixel>(d), op.Prepare(s));
}

template <class Format>
std::uint32_t Apply(int mode, int p, std::uint32_t d, std::uint32_t s) {
  switch (SimplifySolidBlend(mode, p)) {
    case BlendOp::Nothing:
      return d;
    case BlendOp::Copy:
      return ApplyOp<Format, BlendOp::Copy>(d, s, p);
    case BlendOp::Alpha:
      return ApplyOp<Format, BlendOp::Alpha>(d, s, p);
    case BlendOp::Add:
      return ApplyOp<Format, BlendOp::Add>(d, s, p);
    case BlendOp::Subtract:
      return ApplyOp<Format, BlendOp::Subtract>(d, s, p);
    case BlendOp::Multiply:
      return ApplyOp<Format, BlendOp::Multiply>(d, s, p);
    case BlendOp::InvertedAlpha:
      return ApplyOp<Format, BlendOp::InvertedAlpha>(d, s, p);
    case BlendOp::MultiplyAlpha:
      return ApplyOp<Format, BlendOp::MultiplyAlpha>(d, s, p);
    default:  // the whole-pixel forms, which one colour never takes
      break;
  }
  return d;
}

const int kModes[] = {BlendModeNone,     BlendModeAlpha,         BlendModeAdd,          BlendModeSubtract,
                      BlendModeMultiply, BlendModeInvertedAlpha, BlendModeMultiplyAlpha};

TEST_F(PixelOps, ComputedScalingMatchesTheTables) {
  for (int p = 0; p < 256; ++p) {
    for (int c = 0; c < 256; ++c)
      ASSERT_EQ(pixel_detail::ScaleExact(p, c), static_cast<std::uint32_t>(ScaleTable[p][c]));
    for (int d = -255; d <= 255; ++d)
      ASSERT_EQ(pixel_detail::SignedScaleExact(p, d), SignedScale(p, d)) << p << " " << d;
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
      {false, BlendModeAdd, 255, 0x00FF8001, 0xFF01807F, 0x00FFFF80},    // red and green lowest bits are ORed
      {false, BlendModeAdd, 255, 0x00FF0000, 0x00FF0000, 0x01FF0000},    // red carries into the filler
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
        ASSERT_EQ(Apply<Rgb565>(mode, p, d, s), want)
            << "mode " << mode << " p " << p << std::hex << " d " << d << " s " << s;
      }
      for (int k = 0; k < 4000; ++k) {
        const std::uint32_t d = random();
        const std::uint32_t want = reference::ModeDraws(mode, p) ? reference::BlendPixel(d, s, false, mode, p) : d;
        ASSERT_EQ(Apply<Rgb32>(mode, p, d, s), want)
            << "mode " << mode << " p " << p << std::hex << " d " << d << " s " << s;
      }
    }
  }
}

// Runs of every length up to a few registers, several to a batch, each between guard pixels
// that must come through untouched, as rectangle and as disc rows, on the baseline and the wide
// loops.
class SolidRuns : public PixelOps, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override { WideBlitsAllowed = GetParam(); }
  void TearDown() override { WideBlitsAllowed = true; }
};

TEST_P(SolidRuns, MatchTheReference) {
  std::mt19937 random(777);
  constexpr int kGuard = 3;
  for (auto [operation, is16] : {std::pair{SoftOperation::Fill, false}, std::pair{SoftOperation::Fill, true},
                                 std::pair{SoftOperation::DiscRows, false}, std::pair{SoftOperation::DiscRows, true}}) {
    const std::size_t bytes = is16 ? 2 : 4;
    for (int mode : kModes) {
      for (int trial = 0; trial < 60; ++trial) {
        const int p = trial < 3 ? (trial == 0 ? 0 : trial == 1 ? 1 : 255) : static_cast<int>(random() % 256);
        const std::uint32_t s = random();
        const BlendOp op = SimplifySolidBlend(mode, p);
        if (op == BlendOp::Nothing) continue;
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
        FindSolidRuns(operation, is16 ? TargetLayout::Rgb565 : TargetLayout::Rgb32, op)(
            runs.data(), static_cast<int>(runs.size()), s, static_cast<std::uint32_t>(p));
        for (std::size_t i = 0; i < pixels.size(); ++i) {
          std::uint32_t got = 0;
          std::memcpy(&got, &storage[i * bytes], bytes);
          ASSERT_EQ(got, want[i]) << (operation == SoftOperation::Fill ? "fill " : "disc rows ") << (is16 ? "16" : "32")
                                  << "-bit mode " << mode << " p " << p << " pixel " << i << std::hex << " s " << s;
        }
      }
    }
  }
}

// The second registration of this binary sets VORNEK_SOFT_GENERAL=1; unless every lookup then
// takes the general row, that registration proves nothing the first did not. Without it, each
// of these keys has a faster row.
TEST_F(PixelOps, GeneralSwitchTakesOnlyTheGeneralRow) {
  const char* setting = std::getenv("VORNEK_SOFT_GENERAL");
  const bool general = setting != nullptr && std::strcmp(setting, "1") == 0;
  const LoopKey keys[] = {
      {SoftOperation::Blit, SourceKind::Direct, TargetLayout::Rgb32, BlendOp::Copy, 0},
      {SoftOperation::Blit, SourceKind::Keyed, TargetLayout::Rgb565, BlendOp::Alpha, 0},
      {SoftOperation::Blit, SourceKind::Alpha, TargetLayout::Rgb32, BlendOp::Add, kGraphOption | kBrightOption},
      {SoftOperation::Fill, SourceKind::Direct, TargetLayout::Rgb32, BlendOp::Copy, 0},
      {SoftOperation::Fill, SourceKind::Direct, TargetLayout::Rgb565, BlendOp::MultiplyAlpha, 0},
      {SoftOperation::DiscRows, SourceKind::Direct, TargetLayout::Rgb32, BlendOp::Alpha, 0},
      {SoftOperation::Line, SourceKind::Direct, TargetLayout::Rgb565, BlendOp::Alpha, kLongOption},
      {SoftOperation::Circle, SourceKind::Direct, TargetLayout::Rgb565WithAlpha, BlendOp::InvertedAlpha, kLongOption},
  };
  for (const LoopKey& key : keys) {
    SCOPED_TRACE(static_cast<int>(key.operation));
    ASSERT_NE(GeneralLoop(key), nullptr);
    EXPECT_EQ(FindLoop(key) == GeneralLoop(key), general);
  }
}

// What no faster row covers, the general row serves: short lines, 32-bit outlines, additive lines.
TEST_F(PixelOps, KeysWithoutAFastRowTakeTheGeneralRow) {
  const LoopKey keys[] = {
      {SoftOperation::Line, SourceKind::Direct, TargetLayout::Rgb565, BlendOp::Alpha, 0},
      {SoftOperation::Line, SourceKind::Direct, TargetLayout::Rgb565, BlendOp::Add, kLongOption},
      {SoftOperation::Circle, SourceKind::Direct, TargetLayout::Rgb32, BlendOp::Alpha, kLongOption},
  };
  for (const LoopKey& key : keys) {
    ASSERT_NE(FindLoop(key), nullptr);
    EXPECT_EQ(FindLoop(key), GeneralLoop(key));
  }
  // Nothing to draw has no loop at all.
  EXPECT_EQ(FindLoop({SoftOperation::Line, SourceKind::Direct, TargetLayout::Rgb32, BlendOp::Nothing, 0}), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Widths, SolidRuns, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& width) { return width.param ? "Wide" : "Baseline"; });

}  // namespace
