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
      for (int b = 0; b < 4; ++b) blit_reference::DrawImage(&model, &GraphicFromHandle(handle)->softView, 0, b, 0, nullptr, params);
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
  const int handle = CreateEmptyGraphic(20, 10);
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
