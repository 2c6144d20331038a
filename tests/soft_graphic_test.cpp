// Graphics on the software back-end through the public API: drawn with every blend mode against
// the literal model, drawn into, cleared, and refused when the handle is not a graphic's.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/engine_state.h"
#include "core/tracked_memory.h"
#include "fake_platform.h"
#include "graphics/draw_state.h"
#include "graphics/graphic_handle.h"
#include "graphics/graphics_state.h"
#include "text/font_record.h"
#include "blit_reference.h"
#include "soft_reference.h"
#include "test_support.h"
#include "vornek.h"

namespace {

class SoftGraphicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetPlatform();
    fake::SetClientSize(800, 600);
    EngineState = EngineStateRecord{};
    GraphicsState = GraphicsStateRecord{};
    ChangeWindowMode(TRUE);
    SetScreenMode(800, 600, 32, 60);
    ASSERT_EQ(InitEngine(), 0);
    ASSERT_EQ(GraphicsState.useHardware, 0);
  }
  void TearDown() override {
    EndEngine();
    EXPECT_EQ(LiveBlockCount(), 0) << "blocks left after EndEngine";
    fake::ResetPlatform();
  }
  static std::uint32_t& Screen(int x, int y) {
    MEMIMG& s = GraphicsState.screenImage;
    return reinterpret_cast<std::uint32_t*>(s.pixels + static_cast<std::ptrdiff_t>(y) * s.shared->pitch)[x];
  }
  static std::uint32_t Texel(int handle, int x, int y) {
    const MEMIMG& v = GraphicFromHandle(handle)->softView;
    return reinterpret_cast<const std::uint32_t*>(v.pixels + static_cast<std::ptrdiff_t>(y) * v.shared->pitch)[x];
  }
  test_support::TempDirectory directory_;
};

TEST_F(SoftGraphicTest, AGraphicIsDrawnWithEachBlendModeByItsFormula) {
  const std::vector<std::uint32_t> colors = {0xFF000000, 0xFFFFFFFF, 0xFF204080, 0xFFC0A030,
                                             0xFF7F7F7F, 0xFF01FE80, 0xFFFF0000, 0xFF00FFFF};
  const int width = static_cast<int>(colors.size());
  const int handle = CreateEmptyGraphic(width, 1);
  ASSERT_NE(handle, -1);
  ASSERT_EQ(TransferToGraphic(handle, colors.data(), width * 4, D3DFMT_A8R8G8B8, width, 1, 0, 0), 0);
  const std::uint32_t background[] = {0x000000, 0xFFFFFF, 0x80C040, 0x3060F0};
  const int modes[] = {BlendModeNone,     BlendModeAlpha,         BlendModeAdd,          BlendModeSubtract,
                       BlendModeMultiply, BlendModeInvertedAlpha, BlendModeMultiplyAlpha};
  for (int mode : modes) {
    for (int param : {0, 64, 128, 255}) {
      for (int b = 0; b < 4; ++b) {
        for (int x = 0; x < width; ++x) Screen(10 + x, 10 + b) = background[b];
      }
      // The model draws the same graphic onto a copy of the screen's pixels.
      MEMIMG model{};
      ASSERT_EQ(CreateMemImg(&model, width, 4, -1, 0, Color32, 0, 0, 0, nullptr), 0);
      for (int b = 0; b < 4; ++b) {
        for (int x = 0; x < width; ++x) {
          reinterpret_cast<std::uint32_t*>(model.pixels + b * model.shared->pitch)[x] = Screen(10 + x, 10 + b);
        }
      }
      SetBlendMode(mode, param);
      for (int b = 0; b < 4; ++b) ASSERT_EQ(DrawGraphAt(10, 10 + b, handle, FALSE), 0);
      SoftDrawParams params = CurrentSoftDrawParams();
      params.drawArea = {0, 0, width, 4};
      for (int b = 0; b < 4; ++b)
        blit_reference::DrawImage(&model, &GraphicFromHandle(handle)->softView, 0, b, 0, nullptr, params);
      SetBlendMode(BlendModeNone, 255);
      for (int b = 0; b < 4; ++b) {
        for (int x = 0; x < width; ++x) {
          const std::uint32_t expected = reinterpret_cast<std::uint32_t*>(model.pixels + b * model.shared->pitch)[x];
          EXPECT_EQ(Screen(10 + x, 10 + b) & 0xFFFFFF, expected & 0xFFFFFF)
              << "mode " << mode << " param " << param << " source " << std::hex << Texel(handle, x, 0) << " over "
              << background[b];
          if (mode == BlendModeNone || (mode == BlendModeAlpha && param == 255)) {
            EXPECT_EQ(expected & 0xFFFFFF, Texel(handle, x, 0) & 0xFFFFFF) << "a plain copy";
          }
        }
      }
      ReleaseMemImg(&model);
    }
  }
  EXPECT_EQ(ReleaseGraphic(handle), 0);
}

TEST_F(SoftGraphicTest, AGraphicIsDrawnIntoClearedAndDrawnStretchedOrInPart) {
  SetCreateDrawTarget(TRUE);
  const int handle = CreateEmptyGraphic(20, 10);
  SetCreateDrawTarget(FALSE);
  ASSERT_NE(handle, -1);
  int w = 0, h = 0;
  EXPECT_EQ(GetGraphicSize(handle, &w, &h), 0);
  EXPECT_EQ(w, 20);
  EXPECT_EQ(h, 10);
  ASSERT_EQ(SelectDrawTarget(handle), 0);
  EXPECT_EQ(GetDrawTarget(), handle);
  EXPECT_EQ(DrawState.drawArea.right, 20);
  SetClearColor(0, 0, 255);
  ASSERT_EQ(ClearScreen(), 0);
  DrawLine(0, 0, 20, 0, static_cast<int>(MakeColor(255, 0, 0)), 1);
  EXPECT_EQ(Texel(handle, 5, 0) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(Texel(handle, 5, 5) & 0xFFFFFF, 0x0000FFu) << "the graphic, not the screen, was cleared";
  ASSERT_EQ(SelectDrawTarget(ScreenBack), 0);
  EXPECT_NE(Screen(5, 5) & 0xFFFFFF, 0x0000FFu);

  ASSERT_EQ(DrawGraphStretched(100, 100, 140, 120, handle, FALSE), 0);
  EXPECT_EQ(Screen(100, 100) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(Screen(100, 101) & 0xFFFFFF, 0xFF0000u) << "rows doubled";
  EXPECT_EQ(Screen(139, 119) & 0xFFFFFF, 0x0000FFu);
  ASSERT_EQ(DrawGraphRect(200, 200, 2, 0, 3, 2, handle, FALSE, FALSE), 0);
  EXPECT_EQ(Screen(200, 200) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(Screen(202, 201) & 0xFFFFFF, 0x0000FFu);
  EXPECT_NE(Screen(203, 200) & 0xFFFFFF, 0xFF0000u);

  // Source row 0 (red) fills the top two rows of the destination, row 1 the next two.
  ASSERT_EQ(DrawGraphRectStretched(400, 400, 410, 404, 2, 0, 5, 2, handle, FALSE), 0);
  EXPECT_EQ(Screen(400, 400) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(Screen(409, 401) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(Screen(400, 402) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(Screen(409, 403) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(Screen(410, 400) & 0xFFFFFF, 0u);
  EXPECT_EQ(Screen(400, 404) & 0xFFFFFF, 0u);
  EXPECT_EQ(DrawGraphRectStretched(400, 400, 410, 404, 18, 0, 5, 2, handle, FALSE), -1) << "past the graphic's edge";
  EXPECT_EQ(DrawGraphRectStretched(400, 400, 400, 404, 2, 0, 5, 2, handle, FALSE), -1) << "no destination width";

  const int part = CreateDerivedGraphic(10, 0, 10, 10, handle);
  ASSERT_NE(part, -1);
  EXPECT_EQ(ReleaseGraphic(handle), 0);
  EXPECT_EQ(IsGraphicHandleValid(part), 1);
  ASSERT_EQ(DrawGraphAt(300, 300, part, FALSE), 0);
  EXPECT_EQ(Screen(300, 300) & 0xFFFFFF, 0xFF0000u) << "the derived graphic keeps the image alive";
  EXPECT_EQ(ReleaseGraphic(part), 0);

  for (int bad : {-1, handle, part, 0x20000000}) {
    EXPECT_EQ(DrawGraphAt(0, 0, bad, FALSE), -1);
    EXPECT_EQ(SelectDrawTarget(bad), -1);
  }
}

// An 8-bit request in a window runs on a 32-bit screen image: graphics take that format
// whatever bit depth they are asked for, so the blits draw them unconverted, and fonts lose
// their anti-aliasing.
class EightBitScreenTest : public SoftGraphicTest {
 protected:
  void SetUp() override {
    fake::ResetPlatform();
    fake::SetClientSize(800, 600);
    EngineState = EngineStateRecord{};
    GraphicsState = GraphicsStateRecord{};
    ChangeWindowMode(TRUE);
    ASSERT_EQ(SetScreenMode(800, 600, 8, 60), 0);
    ASSERT_EQ(InitEngine(), 0);
    ASSERT_EQ(GraphicsState.useHardware, 0);
  }
};

TEST_F(EightBitScreenTest, GraphicsAreThirtyTwoBitLikeTheScreenImage) {
  EXPECT_EQ(GraphicsState.screenImage.shared->colorType, Color32);
  EXPECT_EQ(MakeColor(255, 0, 0), 0xFFFF0000u);
  for (int depth : {0, 8, 16}) {
    SetCreateBitDepth(depth);
    const int handle = CreateEmptyGraphic(4, 2);
    ASSERT_NE(handle, -1) << depth;
    const GraphicRecord* record = GraphicFromHandle(handle);
    EXPECT_EQ(record->softView.shared->colorType, Color32) << depth;
    EXPECT_EQ(record->image->flags.bitDepth, 32) << depth;
    const std::uint32_t texels[8] = {0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0,
                                     0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    ASSERT_EQ(TransferToGraphic(handle, texels, 16, D3DFMT_A8R8G8B8, 4, 2, 0, 0), 0);
    ASSERT_EQ(DrawGraphAt(50, 60, handle, FALSE), 0);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(Screen(50 + i % 4, 60 + i / 4) & 0xFFFFFF, texels[i] & 0xFFFFFF) << depth;
    EXPECT_EQ(ReleaseGraphic(handle), 0);
  }
  SetCreateBitDepth(0);
  const int font = CreateFontToHandle(nullptr, 16, -1, FontTypeAntiAliasEdge, -1, -1, FALSE, -1, -1);
  ASSERT_NE(font, -1);
  EXPECT_EQ(FontFromHandle(font)->fontType, FontTypeEdge);
  ASSERT_EQ(DrawTextWithFont(100, 100, "A", static_cast<int>(MakeColor(255, 255, 255)), font, 0), 0);
  EXPECT_EQ(ReleaseFontHandle(font), 0);
}

TEST_F(SoftGraphicTest, CreationSettingsAreKeptAndRead) {
  EXPECT_EQ(GetCreateBitDepth(), 0);
  EXPECT_EQ(GetCreateAlphaChannel(), 0);
  EXPECT_EQ(GetCreateAlphaTest(), 1);
  EXPECT_EQ(SetCreateAlphaChannel(1), 0);
  EXPECT_EQ(SetCreateBitDepth(16), 0);
  EXPECT_EQ(GetCreateAlphaChannel(), 1);
  EXPECT_EQ(GetCreateBitDepth(), 16);
  const int handle = CreateEmptyGraphic(4, 4);
  EXPECT_EQ(GraphicFromHandle(handle)->softView.shared->hasAlpha, 1);
  EXPECT_EQ(CreateEmptyGraphic(0, 4), -1);
}

}  // namespace
