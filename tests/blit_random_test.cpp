// Random blits, fills and triangle quadrilaterals, each run through the fast loops and through
// the literal model on copies of the same target; the whole storage (padding and the image
// around a view included) must come out the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "blit_reference.h"
#include "blit_test_support.h"
#include "graphics/soft/blend_graph.h"
#include "graphics/soft/blend_tables.h"
#include "graphics/soft/loop_table.h"
#include "graphics/soft/soft_blit.h"
#include "vornek.h"

namespace {

class Rng {
 public:
  explicit Rng(std::uint32_t seed) : engine_(seed) {}
  int range(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine_); }
  bool chance(int percent) { return range(0, 99) < percent; }
  std::uint32_t bits() { return static_cast<std::uint32_t>(engine_()); }
  template <class T, std::size_t N>
  T pick(const T (&items)[N]) {
    return items[static_cast<std::size_t>(range(0, static_cast<int>(N) - 1))];
  }

 private:
  std::mt19937 engine_;
};

struct Operation {
  int routine;                           // 0 image, 1 scaled, 2 fill, 3 triangle quadrilateral
  int colorType, srcColorType, srcKind;  // srcKind 0 plain, 1 alpha, 2 paletted
  int dstW, dstH, srcW, srcH;
  bool view, runCodes, graph;
  int graphParam, graphRange;
  int transparent;
  SoftDrawParams params;
  int x, y;
  Rect rect;
  bool nullRect;
  std::uint32_t color;

  std::string describe() const {
    std::ostringstream out;
    out << "routine " << routine << " type " << colorType << "/" << srcColorType << " kind " << srcKind << " dst "
        << dstW << "x" << dstH << (view ? " (view)" : "") << " src " << srcW << "x" << srcH
        << (runCodes ? " runcodes" : "") << " graph " << graph << " (" << graphParam << "," << graphRange << ") trans "
        << transparent << " mode " << params.blendMode << " p " << params.blendParam << " bright "
        << int{params.bright[0]} << "," << int{params.bright[1]} << "," << int{params.bright[2]} << " area "
        << params.drawArea.left << "," << params.drawArea.top << "," << params.drawArea.right << ","
        << params.drawArea.bottom << " at " << x << "," << y << " rect " << rect.left << "," << rect.top << ","
        << rect.right << "," << rect.bottom << (nullRect ? " (null)" : "") << std::hex << " color " << color;
    return out.str();
  }
};

Operation RandomOperation(Rng& rng) {
  Operation op{};
  op.routine = rng.range(0, 9) < 4 ? 0 : rng.range(1, 3);
  op.colorType = rng.chance(50) ? Color32 : Color16;
  op.srcColorType = rng.chance(3) ? 1 - op.colorType : op.colorType;
  op.srcKind = rng.range(0, 2);
  op.dstW = rng.range(1, 20);
  op.dstH = rng.range(1, 12);
  op.srcW = rng.chance(2) ? 0 : rng.range(1, 14);
  op.srcH = rng.range(1, 9);
  op.view = rng.chance(30);
  op.runCodes = rng.chance(50);
  op.graph = rng.chance(35);
  op.graphParam = rng.range(-10, 265);
  op.graphRange = rng.range(-10, 265);
  op.transparent = rng.chance(3) ? 2 : rng.range(0, 1);
  const int modes[] = {0, 1, 2, 3, 4, 10, 11};
  const int oddModes[] = {-1, 5, 9, 12};
  op.params.blendMode = rng.chance(5) ? rng.pick(oddModes) : rng.pick(modes);
  const int params[] = {0, 128, 255, 64, 1, 254};
  op.params.blendParam = rng.chance(40) ? rng.pick(params) : rng.range(0, 255);
  const bool full = rng.chance(60);
  for (auto& b : op.params.bright) b = static_cast<std::uint8_t>(full || rng.chance(30) ? 255 : rng.range(0, 255));
  if (rng.chance(10)) {
    op.params.drawArea = {-0x7FFFFFFF - 1, -0x7FFFFFFF - 1, 0x7FFFFFFF, 0x7FFFFFFF};
  } else {
    op.params.drawArea = {rng.range(-4, op.dstW), rng.range(-4, op.dstH), rng.range(-2, op.dstW + 4),
                          rng.range(-2, op.dstH + 4)};
  }
  op.x = rng.chance(3) ? (rng.chance(50) ? 0x7FFFFFF0 : -0x7FFFFFF0) : rng.range(-op.srcW - 2, op.dstW + 2);
  op.y = rng.range(-op.srcH - 2, op.dstH + 2);
  op.rect = {rng.range(-6, op.dstW + 6), rng.range(-6, op.dstH + 6), rng.range(-6, op.dstW + 6),
             rng.range(-6, op.dstH + 6)};
  op.nullRect = rng.chance(10);
  op.color = rng.bits();
  return op;
}

void FillSource(Rng& rng, TestImage* src, const Operation& op) {
  MemImgShared* s = src->shared();
  const bool is32 = op.srcColorType == Color32;
  if (op.srcKind == 2) {
    for (int i = 0; i < 1024; ++i) s->palette[i] = static_cast<std::uint8_t>(rng.bits());
    if (!is32) {
      // 5:6:5 entries in the low half, as image loading stores them.
      for (int i = 0; i < 256; ++i) s->palette[4 * i + 2] = s->palette[4 * i + 3] = 0;
    }
    s->paletteCount = rng.range(0, 256);
    s->transColor = static_cast<std::uint32_t>(rng.range(0, 255));
  }
  for (int y = 0; y < op.srcH; ++y) {
    for (int x = 0; x < op.srcW; ++x) {
      std::uint32_t v = rng.bits();
      if (op.srcKind == 2) {
        v = rng.chance(30) ? s->transColor : v & 0xFF;
      } else if (op.srcKind == 1) {
        const std::uint32_t alphas[] = {0, 255, 128, 1, 254};
        const std::uint32_t a = rng.chance(60) ? rng.pick(alphas) : v >> 24;
        v = is32 ? (v & 0xFFFFFF) | a << 24 : (v & 0xFF00FFFF) | a << 16;
      } else {
        if (!is32) v &= 0xFFFF;
        if (rng.chance(30)) v = s->transColor;
      }
      src->set(x, y, v);
    }
  }
  if (op.runCodes) src->buildRunCodes();
}

void RandomOperationsMatchTheModel() {
  BuildSoftBlendTables();
  Rng rng(20261210);
  const int operations = 40000;
  for (int n = 0; n < operations; ++n) {
    const Operation op = RandomOperation(rng);
    BuildBlendGraphTable(op.graphParam, op.graphRange);
    const int outerW = op.dstW + (op.view ? 4 : 0), outerH = op.dstH + (op.view ? 3 : 0);
    const int bytes = op.colorType == Color32 ? 4 : 2;
    const int pitch = rng.chance(30) ? outerW * bytes + bytes * rng.range(0, 3) : -1;
    TestImage fastOuter(outerW, outerH, op.colorType, 0, 0, 0, 0, pitch);
    TestImage modelOuter(outerW, outerH, op.colorType, 0, 0, 0, 0, pitch);
    std::vector<std::uint8_t> start = fastOuter.storage();
    for (auto& b : start) b = static_cast<std::uint8_t>(rng.bits());
    fastOuter.setStorage(start);
    modelOuter.setStorage(start);
    MEMIMG fastView{}, modelView{};
    MEMIMG* fast = fastOuter.get();
    MEMIMG* model = modelOuter.get();
    if (op.view) {
      MakeMemImgView(&fastView, fast, 2, 1, op.dstW, op.dstH);
      MakeMemImgView(&modelView, model, 2, 1, op.dstW, op.dstH);
      fast = &fastView;
      model = &modelView;
    }

    const std::uint32_t trans =
        op.srcKind == 0 ? (rng.chance(50) ? 0u : rng.bits() & (op.srcColorType == Color32 ? 0xFFFFFFFF : 0xFFFF)) : 0u;
    TestImage src(op.srcW, op.srcH, op.srcColorType, op.srcKind == 2, op.srcKind == 1, 1, trans);
    FillSource(rng, &src, op);
    const bool smallGraph = rng.chance(5);
    TestImage graph(std::max(0, op.srcW + (smallGraph ? -1 : rng.range(0, 2))), op.srcH + rng.range(0, 2), Gray8);
    for (int y = 0; y < graph.get()->height; ++y)
      for (int x = 0; x < graph.get()->width; ++x) graph.set(x, y, rng.bits() & 0xFF);
    const MEMIMG* g = op.graph ? graph.get() : nullptr;

    switch (op.routine) {
      case 0:
        SoftDrawImage(fast, src.get(), op.x, op.y, op.transparent, g, op.params);
        blit_reference::DrawImage(model, src.get(), op.x, op.y, op.transparent, g, op.params);
        break;
      case 1:
        SoftDrawImageScaled(fast, src.get(), op.rect, op.transparent, g, op.params);
        blit_reference::DrawImageScaled(model, src.get(), op.rect, op.transparent, g, op.params);
        break;
      case 2:
        SoftFillRect(fast, op.nullRect ? nullptr : &op.rect, op.color, op.params);
        blit_reference::FillRect(model, op.nullRect ? nullptr : &op.rect, op.color, op.params);
        break;
      case 3: {
        // The image as two triangles at (x, y), split along either diagonal.
        const int x = op.x, y = op.rect.top, w = op.srcW, h = op.srcH;
        const SoftVertex tl{x, y, 0, 0}, tr{x + w, y, w, 0}, bl{x, y + h, 0, h}, br{x + w, y + h, w, h};
        const bool other = op.color & 1;
        const SoftVertex first[3] = {tl, tr, other ? bl : br};
        const SoftVertex second[3] = {other ? tr : tl, br, bl};
        if (op.x > -0x10000000 && op.x < 0x10000000) {
          SoftDrawImageTriangle(fast, src.get(), first, op.transparent, g, op.params);
          SoftDrawImageTriangle(fast, src.get(), second, op.transparent, g, op.params);
          blit_reference::DrawImage(model, src.get(), x, y, op.transparent, g, op.params);
        }
        break;
      }
    }
    const std::vector<std::uint8_t> got = fastOuter.storage(), want = modelOuter.storage();
    if (got != want) {
      std::size_t i = 0;
      while (got[i] == want[i]) ++i;
      const int row = static_cast<int>(i / static_cast<std::size_t>(fastOuter.shared()->pitch));
      const int column = static_cast<int>(i % static_cast<std::size_t>(fastOuter.shared()->pitch)) / bytes;
      FAIL() << (WideBlitsAllowed ? "wide loops, " : "baseline loops, ") << "operation " << n << ": " << op.describe()
             << "\nfirst difference at storage pixel (" << column << ", " << row << "): fast " << std::hex
             << fastOuter.at(column, row) << " model " << modelOuter.at(column, row);
    }
    if (op.view) {
      ReleaseMemImg(&fastView);
      ReleaseMemImg(&modelView);
    }
  }
}

// Wide rows run mostly through the vector groups: every mode and a spread of parameters on
// 64 × 16 random images, each pixel pair different.
void WideRowsMatchTheModel() {
  BuildSoftBlendTables();
  Rng rng(7);
  const int modes[] = {0, 1, 2, 3, 4, 10, 11};
  const int params[] = {0, 1, 2, 64, 127, 128, 129, 200, 254, 255};
  for (int colorType : {Color32, Color16}) {
    for (int mode : modes) {
      for (int p : params) {
        for (int transparent : {0, 1}) {
          TestImage fast(64, 16, colorType), model(64, 16, colorType), src(64, 16, colorType, 0, 0, 0, 0x1234);
          std::vector<std::uint8_t> start = fast.storage(), pixels = src.storage();
          for (auto& b : start) b = static_cast<std::uint8_t>(rng.bits());
          for (auto& b : pixels) b = static_cast<std::uint8_t>(rng.bits());
          fast.setStorage(start);
          model.setStorage(start);
          src.setStorage(pixels);
          for (int x = 0; x < 64; x += 3) src.set(x, x % 16, 0x1234);  // some transparent pixels
          const SoftDrawParams q = DrawParams(Rect{0, 0, 64, 16}, mode, p);
          SoftDrawImage(fast.get(), src.get(), 0, 0, transparent, nullptr, q);
          blit_reference::DrawImage(model.get(), src.get(), 0, 0, transparent, nullptr, q);
          const std::uint32_t color = rng.bits();
          const Rect r{1, 1, 63, 15};
          SoftFillRect(fast.get(), &r, color, q);
          blit_reference::FillRect(model.get(), &r, color, q);
          ASSERT_EQ(fast.storage(), model.storage())
              << (WideBlitsAllowed ? "wide loops, " : "baseline loops, ") << "type " << colorType << " mode " << mode
              << " p " << p << " transparent " << transparent;
        }
      }
    }
  }
}

// Each check runs on the wide (AVX2) loops where the processor has them, and on the baseline.
class BlitRandom : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { WideBlitsAllowed = GetParam(); }
  void TearDown() override { WideBlitsAllowed = true; }
};

TEST_P(BlitRandom, FastLoopsMatchTheModel) { RandomOperationsMatchTheModel(); }
TEST_P(BlitRandom, WideRowsMatchTheModelInEveryMode) { WideRowsMatchTheModel(); }

INSTANTIATE_TEST_SUITE_P(Widths, BlitRandom, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& width) { return width.param ? "Wide" : "Baseline"; });

}  // namespace
