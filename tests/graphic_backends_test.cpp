// Graphics as both back-ends of the fake platform make them (the recording Direct3D 9 device and
// the software renderer): what a new graphic holds, clearing one that has an alpha channel, the
// transparency flag of the drawing calls, and sizes that cannot be held.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/engine_state.h"
#include "core/tracked_memory.h"
#include "fake_d3d9.h"
#include "fake_platform.h"
#include "color/color_data.h"
#include "graphics/graphic_handle.h"
#include "graphics/graphics_state.h"
#include "graphics/hardware/hardware_state.h"
#include "test_support.h"
#include "vornek.h"

namespace {

class BothBackEndsTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    fake::ResetPlatform();
    fake::SetClientSize(800, 600);
    fake::UseRecordingDevice(hardware());
    EngineState = EngineStateRecord{};
    GraphicsState = GraphicsStateRecord{};
    ChangeWindowMode(TRUE);
    SetScreenMode(800, 600, 32, 60);
  }
  void TearDown() override {
    SetCreateAlphaChannel(FALSE);
    SetCreateDrawTarget(FALSE);
    EndEngine();
    EXPECT_EQ(fake::LiveD3dObjects(), 0);
    EXPECT_EQ(LiveBlockCount(), 0);
    fake::ResetPlatform();
  }
  bool hardware() const { return GetParam(); }
  void Start() {
    ASSERT_EQ(InitEngine(), 0);
    ASSERT_EQ(GraphicsState.useHardware, hardware() ? 1 : 0);
    if (hardware()) FlushVertexBatch();
    fake::ClearD3dCalls();
    fake::ClearDebugOutput();
  }

  // Texel (x, y) of a graphic as A8R8G8B8, read from its texture or its software image.
  static std::uint32_t Texel(int handle, int x, int y) {
    const GraphicRecord* record = GraphicFromHandle(handle);
    if (record == nullptr) return 0xDEADBEEFu;
    std::uint32_t raw = 0;
    const ColorData* format = nullptr;
    if (GraphicsState.useHardware) {
      for (int i = 0; i < record->image->columns * record->image->rows; ++i) {
        const TextureTile& tile = record->image->tiles[i];
        if (x < tile.x || y < tile.y || x >= tile.x + tile.width || y >= tile.y + tile.height) continue;
        D3DSURFACE_DESC desc{};
        tile.texture->GetLevelDesc(0, &desc);
        format = ColorDataForSurfaceFormat(static_cast<std::uint32_t>(desc.Format));
        const RECT one = {x - tile.x, y - tile.y, x - tile.x + 1, y - tile.y + 1};
        D3DLOCKED_RECT locked{};
        if (tile.texture->LockRect(0, &locked, &one, D3DLOCK_READONLY) != D3D_OK) return 0xDEADBEEFu;
        std::memcpy(&raw, locked.pBits, format->bitsPerPixel / 8);
        tile.texture->UnlockRect(0);
      }
    } else {
      const MEMIMG& view = record->softView;
      format = view.shared->colorData;
      std::memcpy(&raw,
                  view.pixels + static_cast<std::ptrdiff_t>(y) * view.shared->pitch + x * (format->bitsPerPixel / 8),
                  format->bitsPerPixel / 8);
    }
    if (format == nullptr) return 0xDEADBEEFu;
    int r = 0, g = 0, b = 0, a = 0;
    UnpackColor(format, raw, &r, &g, &b, &a);
    return static_cast<std::uint32_t>(a) << 24 | static_cast<std::uint32_t>(r) << 16 |
           static_cast<std::uint32_t>(g) << 8 | static_cast<std::uint32_t>(b);
  }

  // The screen's pixel (x, y) without its filler byte.
  static std::uint32_t ScreenPixel(int x, int y) {
    if (GraphicsState.useHardware) {
      FlushVertexBatch();
      return fake::BackBufferPixels()[static_cast<std::size_t>(y) * 800 + static_cast<std::size_t>(x)] & 0xFFFFFF;
    }
    const MEMIMG& screen = GraphicsState.screenImage;
    std::uint32_t pixel;
    std::memcpy(&pixel, screen.pixels + static_cast<std::ptrdiff_t>(y) * screen.shared->pitch + x * 4, 4);
    return pixel & 0xFFFFFF;
  }

  static bool Logged(const std::string& utf8) {
    return fake::DebugOutput().find(test_support::Sjis(utf8)) != std::string::npos;
  }

  test_support::TempDirectory directory_;
};

std::string BackEndName(const ::testing::TestParamInfo<bool>& info) { return info.param ? "Hardware" : "Software"; }

TEST_P(BothBackEndsTest, ANewGraphicHoldsNothing) {
  Start();
  struct Case {
    const char* name;
    int width, height, alpha, target;
  } cases[] = {
      {"plain, cut into three textures", 800, 100, FALSE, FALSE},
      {"with an alpha channel", 40, 40, TRUE, FALSE},
      {"a draw target with an alpha channel", 32, 32, TRUE, TRUE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetCreateAlphaChannel(c.alpha);
    SetCreateDrawTarget(c.target);
    const int handle = CreateEmptyGraphic(c.width, c.height);
    ASSERT_NE(handle, -1);
    int wrong = 0;
    for (int y = 0; y < c.height; y += 3) {
      for (int x = 0; x < c.width; x += 7) {
        const std::uint32_t texel = Texel(handle, x, y);
        wrong += (texel & 0xFFFFFF) != 0 || (c.alpha && texel != 0) ? 1 : 0;
      }
    }
    EXPECT_EQ(wrong, 0) << "texel (0, 0) is " << std::hex << Texel(handle, 0, 0);
    ReleaseGraphic(handle);
  }
}

TEST_P(BothBackEndsTest, ClearingAGraphicWithAnAlphaChannelLeavesItsAlphaAtZero) {
  Start();
  SetCreateAlphaChannel(TRUE);
  SetCreateDrawTarget(TRUE);
  const int handle = CreateEmptyGraphic(32, 32);
  ASSERT_NE(handle, -1);
  ASSERT_EQ(SelectDrawTarget(handle), 0);
  SetClearColor(10, 20, 30);
  ASSERT_EQ(ClearScreen(), 0);
  EXPECT_EQ(Texel(handle, 0, 0), 0x000A141Eu);
  EXPECT_EQ(Texel(handle, 31, 31), 0x000A141Eu);
  SetClearColor(0, 0, 0);
  SelectDrawTarget(ScreenBack);
}

TEST_P(BothBackEndsTest, AnyNonZeroTransparencyFlagIsTrue) {
  Start();
  // Left half black and transparent, right half opaque red.
  SetCreateAlphaChannel(TRUE);
  const int handle = CreateEmptyGraphic(16, 16);
  ASSERT_NE(handle, -1);
  std::vector<std::uint32_t> texels;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) texels.push_back(x < 8 ? 0x00000000u : 0xFFFF0000u);
  }
  ASSERT_EQ(TransferToGraphic(handle, texels.data(), 16 * 4, D3DFMT_A8R8G8B8, 16, 16, 0, 0), 0);
  SelectDrawTarget(ScreenBack);

  // What one flag draws at (100, 100), after an opaque draw of the same graphic elsewhere has set
  // the device's states.
  const auto picture = [&](int flag) {
    SetClearColor(0, 0, 255);
    ClearScreen();
    DrawGraphAt(300, 300, handle, FALSE);
    DrawGraphAt(100, 100, handle, flag);
    return std::vector<std::uint32_t>{ScreenPixel(102, 105), ScreenPixel(110, 105)};
  };
  const std::vector<std::uint32_t> transparent = picture(TRUE);
  EXPECT_EQ(transparent, (std::vector<std::uint32_t>{0x0000FF, 0xFF0000}));
  EXPECT_NE(picture(FALSE), transparent);
  for (int flag : {-1, 2, 0x100, 0x7FFFFFFF}) {
    EXPECT_EQ(picture(flag), transparent) << "flag " << flag;
    if (hardware()) {
      EXPECT_EQ(HardwareState.renderState[D3DRS_SHADEMODE], static_cast<DWORD>(D3DSHADE_FLAT)) << "flag " << flag;
    }
  }
  SetClearColor(0, 0, 0);
}

TEST_P(BothBackEndsTest, AGraphicTheMachineCannotHoldIsRefusedBeforeAllocation) {
  fake::SetMemory(64ull << 20, 48ull << 20);
  Start();
  const int live = GraphicTable.liveCount;
  for (const auto& [width, height] : {std::pair{100000, 100000}, std::pair{5000, 5000}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    fake::ClearDebugOutput();
    fake::ClearD3dCalls();
    EXPECT_EQ(CreateEmptyGraphic(width, height), -1);
    EXPECT_TRUE(Logged("グラフィックのサイズ " + std::to_string(width) + " x " + std::to_string(height)))
        << fake::DebugOutput();
    EXPECT_TRUE(fake::D3dCallsOf(fake::D3dCallKind::CreateTexture).empty()) << "nothing is made first";
    EXPECT_EQ(GraphicTable.liveCount, live);
  }
  const int fits = CreateEmptyGraphic(1000, 1000);
  EXPECT_NE(fits, -1) << "4 MB of 64 MB";
  ReleaseGraphic(fits);
}

// The engine's own blocks carry no source file and line 0, as the memory dump shows them: the
// graphics, their textures' records, a disc's row map and the default font's glyph cache, in a
// texture or in memory.
TEST_P(BothBackEndsTest, GraphicsAndGlyphCachesAreTheEnginesOwnBlocks) {
  Start();
  ASSERT_EQ(DrawText(10, 10, "Ab", static_cast<int>(MakeColor(255, 255, 255)), 0), 0);
  const int graphic = CreateEmptyGraphic(800, 40);
  const int derived = CreateDerivedGraphic(100, 0, 300, 20, graphic);
  ASSERT_NE(derived, -1);
  EngineState.TraceSize = -1;  // the disc's row map lives only for the call: the trace shows it
  DrawCircle(100, 100, 30, static_cast<int>(MakeColor(255, 0, 0)), TRUE);
  EngineState.TraceSize = 0;
  DumpAllocations();
  const std::string log = fake::DebugOutput();
  std::size_t blocks = 0;
  for (std::size_t at = log.find("  file:"); at != std::string::npos; at = log.find("  file:", at + 1)) {
    ++blocks;
    EXPECT_EQ(log.compare(at, 17, "  file:  line:0  "), 0) << log.substr(at, 60);
  }
  EXPECT_GE(blocks, 8u);
  ReleaseGraphic(derived);
  ReleaseGraphic(graphic);
}

INSTANTIATE_TEST_SUITE_P(Graphics, BothBackEndsTest, ::testing::Bool(), BackEndName);

// What the recording device can hold: at most 32 textures a side, none above its largest size.
class DeviceLimitTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetCreateDrawTarget(FALSE);
    EndEngine();
    EXPECT_EQ(fake::LiveD3dObjects(), 0);
    EXPECT_EQ(LiveBlockCount(), 0);
    fake::ResetPlatform();
  }
  test_support::TempDirectory directory_;
};

TEST_F(DeviceLimitTest, ASideOfMoreThan32TexturesOrATextureAboveTheLargestIsRefused) {
  fake::ResetPlatform();
  fake::SetClientSize(800, 600);
  fake::UseRecordingDevice(true);
  fake::SetMaxTextureSize(256, 256);
  EngineState = EngineStateRecord{};
  GraphicsState = GraphicsStateRecord{};
  ChangeWindowMode(TRUE);
  SetScreenMode(800, 600, 32, 60);
  ASSERT_EQ(InitEngine(), 0);
  ASSERT_EQ(GraphicsState.useHardware, 1);
  struct Case {
    int width, height, target;
    bool made;
  } cases[] = {
      {8192, 8, FALSE, true},   // 32 textures of 256
      {8193, 8, FALSE, false},  // a 33rd would be needed
      {8, 8193, FALSE, false}, {256, 256, TRUE, true},
      {257, 8, TRUE, false},  // a draw target is one texture, here of 512
  };
  for (const Case& c : cases) {
    SetCreateDrawTarget(c.target);
    const int handle = CreateEmptyGraphic(c.width, c.height);
    EXPECT_EQ(handle != -1, c.made) << c.width << " x " << c.height << (c.target ? " draw target" : "");
    if (handle != -1) ReleaseGraphic(handle);
  }
}

}  // namespace
