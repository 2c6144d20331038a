#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <random>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "graphics/soft/blend_tables.h"
#include "graphics/soft/loop_table.h"
#include "graphics/soft/mem_img.h"
#include "graphics/soft/soft_draw.h"
#include "soft_reference.h"
#include "vornek.h"

namespace {

using Points = std::set<std::pair<int, int>>;

// A software image with a guard band of untouched rows above and below, so that a write
// outside the view shows up as a changed guard byte even without the address sanitiser.
class Target {
 public:
  Target(int width, int height, int colorType, int alpha = 0, std::uint32_t fill = 0) {
    const int bytes = colorType == Color32 || alpha ? 4 : 2;
    pitch_ = (width * bytes + 15) & ~15;
    storage_.assign(static_cast<std::size_t>(pitch_) * (height + 2 * kGuardRows), kGuard);
    std::memset(&image_, 0, sizeof image_);
    EXPECT_EQ(CreateMemImg(&image_, width, height, pitch_, 0, colorType, 0, alpha, 0,
                           storage_.data() + static_cast<std::size_t>(pitch_) * kGuardRows),
              0);
    FillMemImg(&image_, nullptr, fill);
  }
  ~Target() { ReleaseMemImg(&image_); }
  MEMIMG* image() { return &image_; }
  bool is16() const { return image_.shared->colorType == Color16; }
  int bytes() const { return BytesPerPixel(image_.shared); }
  std::uint32_t at(int x, int y) const {
    const std::uint8_t* p = image_.pixels + static_cast<std::ptrdiff_t>(y) * pitch_ + x * bytes();
    if (is16()) return static_cast<std::uint32_t>(p[0] | p[1] << 8);
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }
  void set(int x, int y, std::uint32_t v) {
    std::uint8_t* p = image_.pixels + static_cast<std::ptrdiff_t>(y) * pitch_ + x * bytes();
    std::memcpy(p, &v, is16() ? 2 : 4);
  }
  // Pixels that differ from the background value.
  Points changed(std::uint32_t background) const {
    Points out;
    for (int y = 0; y < image_.height; ++y) {
      for (int x = 0; x < image_.width; ++x) {
        if (at(x, y) != background) out.insert({x, y});
      }
    }
    return out;
  }
  bool guardsIntact() const {
    const std::size_t band = static_cast<std::size_t>(pitch_) * kGuardRows;
    for (std::size_t i = 0; i < band; ++i) {
      if (storage_[i] != kGuard || storage_[storage_.size() - 1 - i] != kGuard) return false;
    }
    return true;
  }
  reference::Image model() const {
    reference::Image m;
    m.width = image_.width;
    m.height = image_.height;
    m.is16 = is16();
    for (int y = 0; y < m.height; ++y) {
      for (int x = 0; x < m.width; ++x) m.pixels.push_back(at(x, y));
    }
    return m;
  }

 private:
  static constexpr int kGuardRows = 2;
  static constexpr std::uint8_t kGuard = 0xA5;
  MEMIMG image_;
  int pitch_;
  std::vector<std::uint8_t> storage_;
};

SoftDrawParams Params(Rect area, int mode = BlendModeNone, int p = 255, std::uint8_t r = 255, std::uint8_t g = 255,
                      std::uint8_t b = 255) {
  return SoftDrawParams{area, mode, p, {r, g, b}};
}

std::string Describe(const Points& points) {
  std::ostringstream out;
  for (auto [x, y] : points) out << "(" << x << "," << y << ")";
  return out.str();
}

class SoftDraw : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { BuildSoftBlendTables(); }
};

TEST_F(SoftDraw, LinePixelsAndClipping) {
  struct Case {
    const char* what;
    Rect area;
    int x1, y1, x2, y2;
    Points expected;
  };
  const Rect all{-100, -100, 100, 100};
  const Case cases[] = {
      {"zero length", all, 0, 0, 0, 0, {}},
      {"horizontal, end not drawn", all, 0, 0, 5, 0, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}},
      {"x-major rounds toward the start", all, 0, 0, 5, 2, {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}}},
      {"y-major backwards", all, 0, 0, -3, -6, {{0, 0}, {0, -1}, {-1, -2}, {-1, -3}, {-2, -4}, {-2, -5}}},
      {"45 degrees is x-major", all, 0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}}},
      {"clipped both ends",
       {0, 0, 8, 8},
       -10,
       5,
       10,
       5,
       {{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}, {7, 5}}},
      {"wholly left of the area", {0, 0, 8, 8}, -10, 1, -1, 7, {}},
      {"wholly below the area", {0, 0, 8, 8}, 1, 8, 7, 20, {}},
      {"vertical clipped at the bottom", {0, 0, 8, 8}, 2, 5, 2, 50, {{2, 5}, {2, 6}, {2, 7}}},
      {"empty area", {3, 3, 3, 8}, 0, 4, 8, 4, {}},
      {"inverted area", {6, 6, 2, 2}, 0, 4, 8, 4, {}},
  };
  for (const Case& c : cases) {
    // Coordinates are shifted so that the negative ones of the table land inside the image.
    Target target(200, 200, Color32);
    const int o = 100;
    const Rect area{c.area.left + o, c.area.top + o, c.area.right + o, c.area.bottom + o};
    const SoftDrawParams params = Params(area);
    SoftDrawLine(target.image(), &params, c.x1 + o, c.y1 + o, c.x2 + o, c.y2 + o, 0xFFFFFFFF);
    Points shifted;
    for (auto [x, y] : target.changed(0)) shifted.insert({x - o, y - o});
    EXPECT_EQ(Describe(shifted), Describe(c.expected)) << c.what;
  }
}

TEST_F(SoftDraw, CircleShapes) {
  struct Case {
    int r, fill;
    int pixels;  // changed pixels
    int topRowWidth;
  };
  const Case cases[] = {
      {0, 0, 1, 1}, {0, 1, 1, 1}, {1, 0, 4, 1}, {1, 1, 5, 1}, {10, 0, -1, 7}, {10, 1, -1, 7},
  };
  for (const Case& c : cases) {
    Target target(64, 64, Color32);
    const SoftDrawParams params = Params({0, 0, 64, 64});
    SoftDrawCircle(target.image(), &params, 30, 30, c.r, 0xFFFFFFFF, c.fill);
    const Points points = target.changed(0);
    if (c.pixels >= 0) {
      EXPECT_EQ(static_cast<int>(points.size()), c.pixels) << "r " << c.r << " fill " << c.fill;
    }
    int top = INT_MAX, bottom = INT_MIN;
    for (auto [x, y] : points) top = std::min(top, y), bottom = std::max(bottom, y);
    EXPECT_EQ(top, 30 - c.r);
    EXPECT_EQ(bottom, 30 + c.r);
    for (int row : {top, bottom}) {
      Points inRow;
      for (auto pt : points) {
        if (pt.second == row) inRow.insert(pt);
      }
      EXPECT_EQ(static_cast<int>(inRow.size()), c.topRowWidth) << "r " << c.r << " fill " << c.fill;
      if (c.topRowWidth == 7) {
        EXPECT_EQ(inRow.begin()->first, 27);
      }
    }
    if (c.r == 1) {
      EXPECT_EQ(points.count({30, 30}), c.fill ? 1u : 0u);
    }
    if (c.r == 10 && c.fill) {
      // Every row of the disc is one unbroken run of the outline's extent.
      Target outline(64, 64, Color32);
      SoftDrawCircle(outline.image(), &params, 30, 30, 10, 0xFFFFFFFF, 0);
      for (int y = 20; y <= 40; ++y) {
        int lo = INT_MAX, hi = INT_MIN, count = 0;
        for (auto [x, py] : outline.changed(0)) {
          if (py == y) lo = std::min(lo, x), hi = std::max(hi, x);
        }
        for (auto [x, py] : points) {
          if (py == y) {
            ++count;
            EXPECT_TRUE(x >= lo && x <= hi);
          }
        }
        EXPECT_EQ(count, hi - lo + 1) << "row " << y;
      }
    }
  }
}

// Where points repeat, blending shows it: the radius-0 outline blends its centre four times,
// the disc blends each pixel once.
TEST_F(SoftDraw, OutlinePointsRepeatButDiscRowsDoNot) {
  Target outline(8, 8, Color32), disc(8, 8, Color32);
  const SoftDrawParams add = Params({0, 0, 8, 8}, BlendModeAdd, 255);
  SoftDrawCircle(outline.image(), &add, 4, 4, 0, 0x00000010, 0);
  SoftDrawCircle(disc.image(), &add, 4, 4, 0, 0x00000010, 1);
  EXPECT_EQ(outline.at(4, 4), 0x40u);
  EXPECT_EQ(disc.at(4, 4), 0x10u);
}

TEST_F(SoftDraw, BrightnessAndModesOnWholePrimitives) {
  struct Case {
    int colorType, mode, p;
    std::uint8_t bright[3];
    std::uint32_t background, color, expected;
  };
  const Case cases[] = {
      {Color32, BlendModeAlpha, 0, {255, 255, 255}, 0x00112233, 0xFFFFFFFF, 0x00112233},
      {Color32, BlendModeAlpha, 255, {255, 255, 255}, 0x00112233, 0xFFABCDEF, 0xFFABCDEF},
      {Color32, BlendModeAlpha, 128, {255, 255, 255}, 0x00000000, 0xFFFFFFFF, 0x007F7F7F},
      {Color32, BlendModeNone, 0, {255, 255, 255}, 0, 0xFFFFFFFF, 0xFFFFFFFF},
      // A factor of 255 still lowers a full channel once another factor differs.
      {Color32, BlendModeNone, 0, {255, 128, 0}, 0, 0xFFFFFFFF, 0xFFFE7F00},
      {Color16, BlendModeNone, 0, {255, 128, 0}, 0, 0xFFFF, 0xF3E0},
      {Color16, BlendModeAlpha, 0, {255, 255, 255}, 0x1234, 0xFFFF, 0x1234},
      {Color32, 5, 255, {255, 255, 255}, 0x00112233, 0xFFFFFFFF, 0x00112233},
      {Color32, BlendModeSubtract, 0, {255, 255, 255}, 0x00112233, 0xFFFFFFFF, 0x00112233},
  };
  for (const Case& c : cases) {
    Target target(8, 8, c.colorType, 0, c.background);
    SoftDrawParams params = Params({0, 0, 8, 8}, c.mode, c.p, c.bright[0], c.bright[1], c.bright[2]);
    SoftDrawLine(target.image(), &params, 1, 1, 2, 1, c.color);
    SoftDrawCircle(target.image(), &params, 5, 5, 0, c.color, 1);
    EXPECT_EQ(target.at(1, 1), c.expected) << "line, mode " << c.mode << " p " << c.p;
    EXPECT_EQ(target.at(5, 5), c.expected) << "disc, mode " << c.mode << " p " << c.p;
    EXPECT_EQ(target.at(2, 1), c.background);
  }
}

TEST_F(SoftDraw, DiscCentredAboveTheAreaDrawsOnlyItsRowsInside) {
  Target target(40, 40, Color32);
  const SoftDrawParams params = Params({5, 10, 30, 40});
  SoftDrawCircle(target.image(), &params, 20, 0, 15, 0xFFFFFFFF, 1);
  const Points points = target.changed(0);
  ASSERT_FALSE(points.empty());
  for (auto [x, y] : points) {
    EXPECT_GE(y, 10);
    EXPECT_LE(y, 15);
    EXPECT_GE(x, 5);
    EXPECT_LT(x, 30);
  }
  EXPECT_EQ(points.count({29, 10}), 1u);  // row 10 reaches past the area and is clipped to it
  EXPECT_EQ(points.count({29, 11}), 1u);
}

// Inputs at the ends of the int range and targets that cannot be drawn: nothing outside the
// view changes and nothing crashes.
TEST_F(SoftDraw, HostileInputsStayInsideTheTarget) {
  const int big[] = {INT_MIN, INT_MIN + 1, -1000000, -1, 0, 7, 1000000, INT_MAX - 1, INT_MAX};
  const Rect areas[] = {{0, 0, 16, 16}, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {4, 4, 5, 5}, {10, 10, 2, 2}};
  for (int colorType : {Color32, Color16}) {
    for (const Rect& area : areas) {
      Target target(16, 16, colorType);
      const SoftDrawParams params = Params(area);
      for (int a : big) {
        for (int b : big) {
          SoftDrawLine(target.image(), &params, a, b, b, a, 0xFFFFFFFF);
          SoftDrawLine(target.image(), &params, a, 3, b, 12, 0xFFFFFFFF);
          SoftDrawLine(target.image(), &params, 8, a, 8, b, 0xFFFFFFFF);
        }
        for (int r : {0, 1, 100, 1000000, INT_MAX}) {
          SoftDrawCircle(target.image(), &params, a, 8, r, 0xFFFFFFFF, 0);
          SoftDrawCircle(target.image(), &params, 8, 8, r, 0xFFFFFFFF, 1);
          SoftDrawCircle(target.image(), &params, 8, a, r, 0xFFFFFFFF, 0);
          SoftDrawCircle(target.image(), &params, a, a, r, 0xFFFFFFFF, 1);
          SoftDrawCircle(target.image(), &params, a, -(a / 2), r, 0xFFFFFFFF, 0);
        }
      }
      SoftDrawCircle(target.image(), &params, 8, 8, -5, 0xFFFFFFFF, 1);
      EXPECT_TRUE(target.guardsIntact());
    }
  }
  // A full-screen disc of a huge radius covers the whole area.
  Target target(16, 16, Color32);
  const SoftDrawParams params = Params({0, 0, 16, 16});
  SoftDrawCircle(target.image(), &params, 8, 8, INT_MAX, 0xFFFFFFFF, 1);
  EXPECT_EQ(target.changed(0).size(), 256u);

  MEMIMG invalid;
  std::memset(&invalid, 0, sizeof invalid);
  SoftDrawLine(&invalid, &params, 0, 0, 5, 5, 0xFFFFFFFF);
  SoftDrawCircle(&invalid, &params, 0, 0, 5, 0xFFFFFFFF, 1);
  SoftDrawLine(nullptr, &params, 0, 0, 5, 5, 0xFFFFFFFF);
  SoftDrawCircle(nullptr, &params, 0, 0, 5, 0xFFFFFFFF, 0);
}

}  // namespace

namespace {

// Random images, areas, modes, parameters, brightness, lines and circles through the fast
// loops and through the literal model; the first differing pixel names the operation.
// Fills and discs run through the loops of the processor's widest registers or the baseline ones.
class SoftDrawWidths : public SoftDraw, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override { WideBlitsAllowed = GetParam(); }
  void TearDown() override { WideBlitsAllowed = true; }
};

TEST_P(SoftDrawWidths, RandomOperationsMatchTheModel) {
  std::mt19937 random(20261210);
  auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  const int modes[] = {BlendModeNone,
                       BlendModeAlpha,
                       BlendModeAdd,
                       BlendModeSubtract,
                       BlendModeMultiply,
                       BlendModeInvertedAlpha,
                       BlendModeMultiplyAlpha,
                       5,
                       -1};
  const int parameters[] = {0, 1, 127, 128, 254, 255};
  auto coordinate = [&](int size) {
    switch (pick(0, 9)) {
      case 0:
        return pick(INT_MIN, INT_MAX);
      case 1:
        return pick(-100000, 100000);
      default:
        return pick(-size, 2 * size);
    }
  };
  int operations = 0;
  for (int image = 0; image < 300; ++image) {
    const int colorType = pick(0, 1) ? Color32 : Color16;
    const int width = pick(1, 48), height = pick(1, 48);
    Target target(width, height, colorType);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) target.set(x, y, static_cast<std::uint32_t>(random()));
    }
    reference::Image model = target.model();
    for (int op = 0; op < 20; ++op, ++operations) {
      Rect area{pick(-8, width), pick(-8, height), pick(-8, width + 8), pick(-8, height + 8)};
      if (pick(0, 4) == 0) area = {0, 0, width, height};
      const int mode = modes[pick(0, 8)];
      const int p = pick(0, 3) == 0 ? pick(0, 255) : parameters[pick(0, 5)];
      std::uint8_t bright[3] = {255, 255, 255};
      if (pick(0, 2) == 0) {
        for (auto& b : bright) b = static_cast<std::uint8_t>(pick(0, 3) == 0 ? 255 : pick(0, 255));
      }
      const SoftDrawParams params{area, mode, p, {bright[0], bright[1], bright[2]}};
      const reference::Params modelParams{
          area.left, area.top, area.right, area.bottom, mode, p, {bright[0], bright[1], bright[2]}};
      const std::uint32_t color = static_cast<std::uint32_t>(random());
      std::ostringstream what;
      what << "operation " << operations << (colorType == Color32 ? " Color32 " : " Color16 ") << width << "x" << height
           << " area (" << area.left << "," << area.top << "," << area.right << "," << area.bottom << ") mode " << mode
           << " p " << p << " bright " << int{bright[0]} << "," << int{bright[1]} << "," << int{bright[2]} << std::hex
           << " colour 0x" << color << std::dec;
      if (pick(0, 1)) {
        const int x1 = coordinate(width), y1 = coordinate(height), x2 = coordinate(width), y2 = coordinate(height);
        what << " line " << x1 << "," << y1 << " to " << x2 << "," << y2;
        SoftDrawLine(target.image(), &params, x1, y1, x2, y2, color);
        reference::DrawLine(&model, modelParams, x1, y1, x2, y2, color);
      } else {
        const bool far = pick(0, 4) == 0;
        const int cx = far ? pick(-4000, 4000) : pick(-10, width + 10);
        const int cy = far ? pick(-4000, 4000) : pick(-10, height + 10);
        const int r = far ? pick(0, 6000) : pick(0, 3) == 0 ? pick(0, 3) : pick(0, 60);
        const int fill = pick(0, 1);
        what << " circle " << cx << "," << cy << " r " << r << " fill " << fill;
        SoftDrawCircle(target.image(), &params, cx, cy, r, color, fill);
        reference::DrawCircle(&model, modelParams, cx, cy, r, color, fill);
      }
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
          if (target.at(x, y) != model.at(x, y)) {
            FAIL() << what.str() << ": first difference at (" << x << "," << y << ") " << std::hex << "got 0x"
                   << target.at(x, y) << " want 0x" << model.at(x, y);
          }
        }
      }
      ASSERT_TRUE(target.guardsIntact()) << what.str();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, SoftDrawWidths, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& width) { return width.param ? "Wide" : "Baseline"; });

// Lines and outlines long enough for the 5:6:5 mixes to look their channels up in tables, over
// random pixels, in every mode, with and without the alpha bytes beside the colour.
TEST_F(SoftDraw, LongLinesAndLargeOutlinesMatchTheModel) {
  std::mt19937 random(4242);
  const int modes[] = {BlendModeAlpha, BlendModeInvertedAlpha, BlendModeMultiplyAlpha, BlendModeAdd, BlendModeMultiply};
  for (int alpha : {0, 1}) {
    for (int mode : modes) {
      for (int p : {1, 128, 254}) {
        Target target(320, 320, Color16, alpha);
        for (int y = 0; y < 320; ++y) {
          for (int x = 0; x < 320; ++x) target.set(x, y, static_cast<std::uint32_t>(random()) & 0xFFFF);
        }
        reference::Image model = target.model();
        const SoftDrawParams params = Params({0, 0, 320, 320}, mode, p);
        const reference::Params modelParams{0, 0, 320, 320, mode, p, {255, 255, 255}};
        const std::uint32_t color = static_cast<std::uint32_t>(random());
        const int ends[][4] = {{0, 5, 319, 5}, {0, 0, 319, 200}, {300, 319, 2, 0}, {10, 319, 60, 0}};
        for (const auto& e : ends) {
          SoftDrawLine(target.image(), &params, e[0], e[1], e[2], e[3], color);
          reference::DrawLine(&model, modelParams, e[0], e[1], e[2], e[3], color);
        }
        for (int r : {23, 24, 100, 200}) {
          SoftDrawCircle(target.image(), &params, 160, 150, r, color, 0);
          reference::DrawCircle(&model, modelParams, 160, 150, r, color, 0);
        }
        int differing = 0;
        for (int y = 0; y < 320; ++y) {
          for (int x = 0; x < 320; ++x) differing += target.at(x, y) != model.at(x, y);
        }
        EXPECT_EQ(differing, 0) << "alpha " << alpha << " mode " << mode << " p " << p;
      }
    }
  }
}

// Huge radii far from the area take the skipping path; the model walks every step.
TEST_F(SoftDraw, HugeCirclesFarAwayMatchTheModel) {
  struct Case {
    int cx, cy, r;
  };
  const Case cases[] = {
      {20, -200000, 200010},
      {20, 200030, 200010},
      {-141400, -141400, 200000},
      {300000, 16, 300000},
      {20, -99990, 100000},
      {-99990, 20, 100000},
      {40000, 40000, 56540},
      // Arcs whose centre lies to one side of the area: only some columns of them show.
      {-500, 200030, 200010},
      {540, -199970, 200010},
      {-300, -199995, 200030},
  };
  for (int fill : {0, 1}) {
    for (const Case& c : cases) {
      Target target(40, 40, Color32);
      const SoftDrawParams params = Params({0, 0, 40, 40}, BlendModeAdd, 100);
      reference::Image model = target.model();
      SoftDrawCircle(target.image(), &params, c.cx, c.cy, c.r, 0x00102030, fill);
      reference::DrawCircle(&model, {0, 0, 40, 40, BlendModeAdd, 100, {255, 255, 255}}, c.cx, c.cy, c.r, 0x00102030,
                            fill);
      int differing = 0;
      for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) differing += target.at(x, y) != model.at(x, y);
      }
      EXPECT_EQ(differing, 0) << c.cx << "," << c.cy << " r " << c.r << " fill " << fill;
      EXPECT_FALSE(target.changed(0).empty()) << c.cx << "," << c.cy << " r " << c.r << " fill " << fill;
    }
  }
}

// A 5:6:5 target with alpha keeps colour in the low half of each 4-byte pixel; drawing leaves
// the alpha bytes alone.
TEST_F(SoftDraw, Color16WithAlphaKeepsItsAlphaBytes) {
  Target target(8, 4, Color16, 1, 0x00AB0000);
  const SoftDrawParams params = Params({0, 0, 8, 4});
  SoftDrawLine(target.image(), &params, 0, 1, 8, 1, 0xFFFF);
  SoftDrawCircle(target.image(), &params, 3, 3, 0, 0x1234, 1);
  for (int x = 0; x < 8; ++x) {
    std::uint32_t v;
    std::memcpy(&v, target.image()->pixels + target.image()->shared->pitch + 4 * x, 4);
    EXPECT_EQ(v, 0x00ABFFFFu) << x;
  }
  std::uint32_t centre;
  std::memcpy(&centre, target.image()->pixels + 3 * target.image()->shared->pitch + 12, 4);
  EXPECT_EQ(centre, 0x00AB1234u);
}

}  // namespace
