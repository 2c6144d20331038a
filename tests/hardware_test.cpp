// The hardware back-end on the fake platform's recording Direct3D 9 device: bring-up and its
// fall-backs, the vertex batch, the state cache, the primitives, clear and present.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <utility>
#include <string>
#include <vector>

#include "core/engine_state.h"
#include "core/tracked_memory.h"
#include "../platform/common/d3d9_facts.h"
#include "../platform/common/d3d9_pixel_rules.h"
#include "fake_d3d9.h"
#include "fake_platform.h"
#include "graphics/draw_state.h"
#include "graphics/graphics_state.h"
#include "graphics/hardware/hardware_state.h"
#include "recording_device_fixture.h"
#include "test_support.h"
#include "vornek.h"

namespace {

using test_support::Sjis;

class HardwareTest : public RecordingDeviceTest {
 protected:
  test_support::TempDirectory directory_;
};

// ---- bring-up -------------------------------------------------------------------------------

TEST_F(HardwareTest, StartUpBringsUpTheDeviceForTheWindow) {
  ASSERT_EQ(InitEngine(), 0);
  EXPECT_EQ(GraphicsState.useHardware, 1);
  EXPECT_EQ(EngineState.HardwareRendering, 1);
  EXPECT_EQ(IsMemImgValid(&GraphicsState.screenImage), 0) << "no software screen beside the device";
  EXPECT_EQ(GraphicsState.hardwareVertexProcessing, 1);
  EXPECT_EQ(fake::D3dBehaviorFlags(), D3DCREATE_HARDWARE_VERTEXPROCESSING);
  EXPECT_TRUE(Logged("ハードウエア描画 ( Direct3D 9 ) を使用します\r\n"));

  const D3DPRESENT_PARAMETERS& p = fake::D3dPresentParameters();
  EXPECT_EQ(p.BackBufferWidth, 800u);
  EXPECT_EQ(p.BackBufferHeight, 600u);
  EXPECT_EQ(p.BackBufferFormat, D3DFMT_X8R8G8B8);
  EXPECT_EQ(p.BackBufferCount, 1u);
  EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_COPY);
  EXPECT_EQ(p.Windowed, TRUE);
  EXPECT_EQ(p.PresentationInterval, D3DPRESENT_INTERVAL_ONE);
  EXPECT_EQ(p.Flags, D3DPRESENTFLAG_LOCKABLE_BACKBUFFER);
  EXPECT_EQ(p.EnableAutoDepthStencil, FALSE);

  EXPECT_EQ(GraphicsState.backBufferFormat, D3DFMT_X8R8G8B8);
  EXPECT_EQ(GraphicsState.depthBufferWidth, 1024);
  EXPECT_EQ(GraphicsState.depthBufferHeight, 1024);
  EXPECT_EQ(GraphicsState.blendOpSupported, 1);
  EXPECT_EQ(GraphicsState.maxTextureSize, 2048);
  EXPECT_EQ(GraphicsState.shadersAvailable, 0);
  EXPECT_EQ(TextureFormatTable[TextureDepth], D3DFMT_D16);

  for (const char* line :
       {"IDirect3D9 オブジェクトを取得します.... 成功\r\n",
        "IDirect3DDevice9 オブジェクトを取得します.... ハードウエア頂点演算を使用します\r\n成功\r\n",
        "画面のフォーマットは D3DFMT_X8R8G8B8 です\r\n", "Ｚバッファのフォーマットは D3DFMT_D16 です\r\n",
        "Ｚバッファを作成します.... 成功\r\n", "プログラマブルシェーダーを使用しません\r\n"}) {
    EXPECT_TRUE(Logged(line)) << line;
  }

  // Every buffer starts black: three clears and presents, then one more clear.
  const fake::D3dCall clear = Call(Kind::Clear, {0, D3DCLEAR_TARGET, 0, 0}, {"null"}, {1.0f});
  const fake::D3dCall present = Call(Kind::Present, {}, {"window", "null"}, {}, {std::nullopt, std::nullopt});
  EXPECT_NE(Find({clear, present, clear, present, clear, present, clear}), -1) << fake::D3dDump();
  EXPECT_NE(Find({Call(Kind::SetVertexShaderConstantF, {0, 1}, {}, {0, 1, 0, 0}),
                  Call(Kind::SetPixelShaderConstantF, {0, 1}, {}, {0, 0.5f, 1, 2}),
                  Call(Kind::SetRenderState, {D3DRS_ZENABLE, D3DZB_TRUE})}),
            -1);
  EXPECT_NE(Find({Call(Kind::CreateDepthStencilSurface, {1024, 1024, D3DFMT_D16, 0, 0, TRUE}, {}, {}, {}, "depth1"),
                  Call(Kind::SetDepthStencilSurface, {}, {"depth1"}),
                  Call(Kind::Clear, {0, D3DCLEAR_ZBUFFER, 0, 0}, {"null"}, {1.0f})}),
            -1);
}

TEST_F(HardwareTest, TheWindowedBackBufferTakesTheDesktopDepth) {
  SetScreenMode(800, 600, 16, 60);
  ASSERT_EQ(InitEngine(), 0);
  EXPECT_EQ(GraphicsState.screenBitDepth, 32) << "a 32-bit desktop";
  EXPECT_EQ(fake::D3dPresentParameters().BackBufferFormat, D3DFMT_X8R8G8B8);
  EndEngine();

  fake::ResetPlatform();
  fake::UseRecordingDevice(true);
  fake::SetDesktopDepth(16);
  SetScreenMode(800, 600, 32, 60);
  ASSERT_EQ(InitEngine(), 0);
  EXPECT_EQ(GraphicsState.screenBitDepth, 16);
  EXPECT_EQ(GraphicsState.backBufferFormat, D3DFMT_R5G6B5);
  EXPECT_TRUE(Logged("画面のフォーマットは D3DFMT_R5G6B5 です\r\n"));
  EXPECT_EQ(MakeColor(100, 100, 100), 0x632Cu) << "colour values in the 16-bit screen format";
}

TEST_F(HardwareTest, WithoutVerticalBlankWaitTheDevicePresentsImmediately) {
  GraphicsState.noVSyncWait = 1;  // the device takes the setting at its creation
  ASSERT_EQ(InitEngine(), 0);
  EXPECT_EQ(fake::D3dPresentParameters().PresentationInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
}

TEST_F(HardwareTest, MultisamplingIsLoweredToWhatTheDeviceAccepts) {
  fake::SetMultiSampleSupport(4, 3);
  GraphicsState.multiSampleType = 8;
  GraphicsState.multiSampleQuality = 5;
  ASSERT_EQ(InitEngine(), 0);
  EXPECT_EQ(GraphicsState.multiSampleType, 4);
  EXPECT_EQ(GraphicsState.multiSampleQuality, 2) << "the lower of the two quality counts, less one";
  const D3DPRESENT_PARAMETERS& p = fake::D3dPresentParameters();
  EXPECT_EQ(p.MultiSampleType, D3DMULTISAMPLE_4_SAMPLES);
  EXPECT_EQ(p.MultiSampleQuality, 2u);
  EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_DISCARD) << "chosen for the multisampling asked for";
  EXPECT_EQ(p.Flags, 0u);
  EXPECT_EQ(
      Calls(Kind::CreateDepthStencilSurface),
      std::vector{Call(Kind::CreateDepthStencilSurface, {1024, 1024, D3DFMT_D16, 4, 2, TRUE}, {}, {}, {}, "depth1")});
  EndEngine();

  fake::ResetPlatform();
  fake::UseRecordingDevice(true);
  GraphicsState.multiSampleType = 2;
  GraphicsState.multiSampleQuality = 1;
  ASSERT_EQ(InitEngine(), 0);
  EXPECT_EQ(GraphicsState.multiSampleType, 0) << "no type survives";
  EXPECT_EQ(GraphicsState.multiSampleQuality, 0);
  EXPECT_EQ(fake::D3dPresentParameters().MultiSampleType, D3DMULTISAMPLE_NONE);
}

// Each creation step that fails leaves the software back-end, with its log line, and nothing
// of Direct3D behind.
TEST_F(HardwareTest, EachCreationFailureFallsBackToSoftware) {
  struct Case {
    const char* what;
    void (*arrange)();
    const char* line;
  };
  const Case cases[] = {
      {"no Direct3D object", [] { fake::SetD3dFailure(fake::D3dFailure::Create, true); },
       "IDirect3D9 オブジェクトを取得します.... IDirect3D9 オブジェクトの取得に失敗しました\r\n"},
      {"no device either way",
       [] {
         fake::SetD3dFailure(fake::D3dFailure::DeviceHardware, true);
         fake::SetD3dFailure(fake::D3dFailure::DeviceSoftware, true);
       },
       "IDirect3DDevice9 オブジェクトを取得します.... Direct3DDevice9 の作成に失敗しました\r\n"},
      {"no depth format",
       [] {
         fake::RefuseDepthFormat(D3DFMT_D16);
         fake::RefuseDepthFormat(D3DFMT_D24X8);
         fake::RefuseDepthFormat(D3DFMT_D32);
       },
       "使用できる Zバッファフォーマットが見つかりませんでした\r\n"},
      {"no 16-bit texture format",
       [] {
         fake::RefuseFormat(D3DFMT_R5G6B5, 0);
         fake::RefuseFormat(D3DFMT_X1R5G5B5, 0);
       },
       "使用できる 16bit カラーフォーマットが見つかりませんでした\r\n"},
      {"no 16-bit alpha format",
       [] {
         fake::RefuseFormat(D3DFMT_A4R4G4B4, 0);
         fake::RefuseFormat(D3DFMT_A8R8G8B8, 0);
       },
       "使用できるアルファ付き 16bit カラーフォーマットが見つかりませんでした\r\n"},
      {"no depth surface", [] { fake::SetD3dFailure(fake::D3dFailure::DepthStencilSurface, true); },
       "Ｚバッファを作成します.... Ｚバッファの作成に失敗しました\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fake::ResetPlatform();
    fake::SetClientSize(800, 600);
    fake::UseRecordingDevice(true);
    c.arrange();
    ASSERT_EQ(InitEngine(), 0);
    EXPECT_EQ(GraphicsState.useHardware, 0);
    EXPECT_EQ(GraphicsState.device, nullptr);
    EXPECT_EQ(GraphicsState.direct3d, nullptr);
    EXPECT_EQ(fake::LiveD3dObjects(), 0) << "what was made is released at once";
    EXPECT_EQ(IsMemImgValid(&GraphicsState.screenImage), 1);
    EXPECT_TRUE(Logged(c.line)) << fake::DebugOutput();
    EXPECT_TRUE(Logged("ソフトウエア描画を使用します\r\n"));
    EXPECT_EQ(DrawLine(10, 10, 20, 20, static_cast<int>(MakeColor(255, 255, 255)), 1), 0);
    EndEngine();
  }
}

TEST_F(HardwareTest, SoftwareVertexProcessingServesWhenHardwareIsRefused) {
  fake::SetD3dFailure(fake::D3dFailure::DeviceHardware, true);
  ASSERT_EQ(InitEngine(), 0);
  EXPECT_EQ(GraphicsState.useHardware, 1);
  EXPECT_EQ(GraphicsState.hardwareVertexProcessing, 0);
  EXPECT_EQ(fake::D3dBehaviorFlags(), D3DCREATE_SOFTWARE_VERTEXPROCESSING);
  EXPECT_EQ(GraphicsState.vertexShader20, 0) << "shader versions count only with hardware vertex processing";
  EXPECT_TRUE(Logged("ソフトウエア頂点演算を使用します\r\n"));
}

TEST_F(HardwareTest, SoftwareOnlySkipsDirect3DAndSoDoesTheEnvironment) {
  GraphicsState.softwareOnly = 1;
  ASSERT_EQ(InitEngine(), 0);
  EXPECT_EQ(GraphicsState.useHardware, 0);
  EXPECT_TRUE(Calls(Kind::Direct3DCreate9).empty());
  EXPECT_TRUE(Logged("ソフトウエア描画のみの設定により Direct3D を使用しません\r\n"));
  EXPECT_TRUE(Logged("ソフトウエア描画を使用します\r\n"));
  EndEngine();

  fake::ClearDebugOutput();
  GraphicsState = GraphicsStateRecord{};
  SetScreenMode(800, 600, 32, 60);
  setenv("VORNEK_SOFTWARE", "1", 1);
  const int started = InitEngine();
  unsetenv("VORNEK_SOFTWARE");
  ASSERT_EQ(started, 0);
  EXPECT_EQ(GraphicsState.softwareOnly, 1);
  EXPECT_EQ(GraphicsState.useHardware, 0);
  EXPECT_TRUE(Calls(Kind::Direct3DCreate9).empty());
  EXPECT_TRUE(Logged("環境変数 VORNEK_SOFTWARE=1 の指定により Direct3D を使用しません\r\n")) << fake::DebugOutput();
  EXPECT_TRUE(Logged("ソフトウエア描画を使用します\r\n"));
  EXPECT_FALSE(Logged("ハードウエア描画"));
}

// ---- texture formats ------------------------------------------------------------------------

TEST_F(HardwareTest, TextureFormatTableTakesTheFirstUsableCandidate) {
  ASSERT_EQ(InitEngine(), 0);
  const D3DFORMAT expected[TextureFormatCount] = {
      D3DFMT_R5G6B5,   D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5, D3DFMT_A8R8G8B8,
      D3DFMT_DXT1,     D3DFMT_DXT2,     D3DFMT_DXT3,     D3DFMT_DXT4,     D3DFMT_DXT5,     D3DFMT_X1R5G5B5,
      D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_D16};
  for (int i = 0; i < TextureFormatCount; ++i) EXPECT_EQ(TextureFormatTable[i], expected[i]) << "entry " << i;
  const char* lines =
      "16bit カラーフォーマットは D_D3DFMT_R5G6B5 です\r\n"
      "32bit カラーフォーマットは D_D3DFMT_X8R8G8B8 です\r\n"
      "アルファ付き 16bit カラーフォーマットは D_D3DFMT_A4R4G4B4 です\r\n"
      "アルファ付き 32bit カラーフォーマットは D_D3DFMT_A8R8G8B8 です\r\n"
      "アルファテスト用 16bit カラーフォーマットは D_D3DFMT_A1R5G5B5 です\r\n"
      "アルファテスト用 32bit カラーフォーマットは D_D3DFMT_A8R8G8B8 です\r\n"
      "ＤＸＴ１テクスチャフォーマットは D_D3DFMT_DXT1 です\r\n"
      "ＤＸＴ２テクスチャフォーマットは D_D3DFMT_DXT2 です\r\n"
      "ＤＸＴ３テクスチャフォーマットは D_D3DFMT_DXT3 です\r\n"
      "ＤＸＴ４テクスチャフォーマットは D_D3DFMT_DXT4 です\r\n"
      "ＤＸＴ５テクスチャフォーマットは D_D3DFMT_DXT5 です\r\n"
      "描画用 16bit カラーフォーマットは D3DFMT_R5G5B5 です\r\n"
      "描画用 32bit カラーフォーマットは D_D3DFMT_X8R8G8B8 です\r\n"
      "描画用アルファ付き 32bit カラーフォーマットは D_D3DFMT_A8R8G8B8 です\r\n";
  EXPECT_TRUE(Logged(lines)) << fake::DebugOutput();
}

// Formats refused one by one move each entry down its list, or to its stand-in.
TEST_F(HardwareTest, RefusedTextureFormatsMoveEachEntryDownItsList) {
  struct Case {
    std::vector<std::pair<D3DFORMAT, DWORD>> refused;
    int entry;
    D3DFORMAT chosen;
    const char* line;
  };
  const DWORD target = D3DUSAGE_RENDERTARGET;
  const Case cases[] = {
      {{{D3DFMT_R5G6B5, 0}}, 0, D3DFMT_X1R5G5B5, "16bit カラーフォーマットは D_D3DFMT_R5G5B5 です\r\n"},
      {{{D3DFMT_X8R8G8B8, 0}}, 1, D3DFMT_R5G6B5, "32bit カラーフォーマットは D_D3DFMT_R5G6B5 です\r\n"},
      {{{D3DFMT_A4R4G4B4, 0}},
       2,
       D3DFMT_A8R8G8B8,
       "アルファ付き 16bit カラーフォーマットは D_D3DFMT_A8R8G8B8 です\r\n"},
      {{{D3DFMT_A8R8G8B8, 0}},
       3,
       D3DFMT_A4R4G4B4,
       "アルファ付き 32bit カラーフォーマットは D_D3DFMT_A4R4G4B4 です\r\n"},
      {{{D3DFMT_A1R5G5B5, 0}},
       4,
       D3DFMT_A8R8G8B8,
       "アルファテスト用 16bit カラーフォーマットは D_D3DFMT_A8R8G8B8 です\r\n"},
      {{{D3DFMT_A1R5G5B5, 0}, {D3DFMT_A8R8G8B8, 0}},
       4,
       D3DFMT_A4R4G4B4,
       "アルファテスト用 16bit カラーフォーマットは D_D3DFMT_A4R4G4B4 です\r\n"},
      {{{D3DFMT_A8R8G8B8, 0}, {D3DFMT_A1R5G5B5, 0}},
       5,
       D3DFMT_A4R4G4B4,
       "アルファテスト用 32bit カラーフォーマットは D_D3DFMT_A4R4G4B4 です\r\n"},
      {{{D3DFMT_DXT1, 0}}, 6, D3DFMT_A1R5G5B5, "ＤＸＴ１テクスチャフォーマットは使えません\r\n"},
      {{{D3DFMT_DXT5, 0}}, 10, D3DFMT_A8R8G8B8, "ＤＸＴ５テクスチャフォーマットは使えません\r\n"},
      {{{D3DFMT_X1R5G5B5, target}}, 11, D3DFMT_R5G6B5, "描画用 16bit カラーフォーマットは D3DFMT_R5G6B5 です\r\n"},
      {{{D3DFMT_X1R5G5B5, target}, {D3DFMT_R5G6B5, target}},
       11,
       D3DFMT_X8R8G8B8,
       "描画用 16bit カラーフォーマットは D_D3DFMT_X8R8G8B8 です\r\n"},
      {{{D3DFMT_X1R5G5B5, target}, {D3DFMT_R5G6B5, target}, {D3DFMT_X8R8G8B8, target}},
       11,
       D3DFMT_R5G6B5,
       "使用できる描画用 16bit カラーフォーマットがありませんでした\r\n"},
      {{{D3DFMT_X8R8G8B8, target}}, 12, D3DFMT_R5G6B5, "描画用 32bit カラーフォーマットは D3DFMT_R5G6B5 です\r\n"},
      {{{D3DFMT_X8R8G8B8, target}, {D3DFMT_R5G6B5, target}, {D3DFMT_X1R5G5B5, target}},
       12,
       D3DFMT_R5G6B5,
       "使用できる描画用 32bit カラーフォーマットがありませんでした\r\n"},
      {{{D3DFMT_A8R8G8B8, target}},
       13,
       D3DFMT_A4R4G4B4,
       "描画用アルファ付き 32bit カラーフォーマットは D3DFMT_A4R4G4B4 です\r\n"},
      {{{D3DFMT_A8R8G8B8, target}, {D3DFMT_A4R4G4B4, target}},
       13,
       D3DFMT_R5G6B5,
       "使用できる描画用 32bit カラーフォーマットがありませんでした\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("entry " + std::to_string(c.entry) + ": " + c.line);
    fake::ResetPlatform();
    fake::UseRecordingDevice(true);
    for (const auto& [format, usage] : c.refused) fake::RefuseFormat(format, usage);
    ASSERT_EQ(InitEngine(), 0);
    EXPECT_EQ(GraphicsState.useHardware, 1);
    EXPECT_EQ(TextureFormatTable[c.entry], c.chosen);
    EXPECT_TRUE(Logged(c.line)) << fake::DebugOutput();
    EndEngine();
  }
  // A render-target entry that found nothing writes no line of its own.
  EXPECT_FALSE(Logged("描画用アルファ付き 32bit カラーフォーマットは"));
}

// ---- the batch and the primitives -----------------------------------------------------------

TEST_F(HardwareTest, TwoLinesInARowAreOneLineListAtTheNextFlush) {
  Start();
  const int white = static_cast<int>(MakeColor(255, 255, 255));
  EXPECT_EQ(DrawLine(10, 10, 20, 30, white, 1), 0);
  EXPECT_EQ(DrawLine(30, 40, 50, 60, white, 1), 0);
  EXPECT_TRUE(Draws().empty()) << "lines wait in the batch";
  PresentScreen();
  const std::vector<fake::D3dCall> draws = Draws();
  ASSERT_EQ(draws.size(), 1u) << fake::D3dDump();
  EXPECT_EQ(draws[0].numbers, (Numbers{D3DPT_LINELIST, 2, 20}));
  EXPECT_EQ(draws[0].vertices, (Vertices{Plain(10, 10), Plain(20, 30), Plain(30, 40), Plain(50, 60)}));
}

TEST_F(HardwareTest, AxisAlignedLinesEndATenthShortTowardsTheirStart) {
  Start();
  const int color = static_cast<int>(MakeColor(255, 128, 0));
  DrawLine(100, 10, 100, 50, color, 1);
  DrawLine(50, 20, 10, 20, color, 1);
  DrawLine(7, 7, 7, 7, color, 1);  // no length: nothing
  FlushVertexBatch();
  const std::vector<fake::D3dCall> draws = Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].numbers, (Numbers{D3DPT_LINELIST, 2, 20}));
  const D3DCOLOR orange = 0xFFFF8000;
  EXPECT_EQ(draws[0].vertices, (Vertices{Plain(100, 10, orange), Plain(100, 49.9f, orange), Plain(50, 20, orange),
                                         Plain(10.1f, 20, orange)}));
}

TEST_F(HardwareTest, LineColourIsScaledByTintWithTheDrawAlpha) {
  Start();
  SetTint(128, 255, 0);
  SetBlendMode(BlendModeAlpha, 100);
  DrawLine(0, 0, 5, 5, static_cast<int>(MakeColor(200, 100, 50)), 1);
  FlushVertexBatch();
  const std::vector<fake::D3dCall> draws = Draws();
  ASSERT_EQ(draws.size(), 1u);
  // 128 × 200 / 255 = 100 (0x64), 255 × 100 / 255 = 100, 0; alpha 100 (0x64).
  for (const fake::D3dVertex& v : draws[0].vertices) EXPECT_EQ(v.diffuse, 0x64646400u) << fake::FormatD3dCall(draws[0]);
}

TEST_F(HardwareTest, CircleOfRadiusZero) {
  Start();
  const int white = static_cast<int>(MakeColor(255, 255, 255));
  DrawCircle(40, 30, 0, white, 0);
  DrawCircle(40, 30, 0, white, 1);
  const std::vector<fake::D3dCall> draws = Draws();
  ASSERT_EQ(draws.size(), 2u) << fake::D3dDump();
  EXPECT_EQ(draws[0].numbers, (Numbers{D3DPT_POINTLIST, 4, 20}));
  EXPECT_EQ(draws[0].vertices, Vertices(4, Plain(40, 30)));
  EXPECT_EQ(draws[1].numbers, (Numbers{D3DPT_LINELIST, 1, 20}));
  EXPECT_EQ(draws[1].vertices, (Vertices{Plain(40, 30), Plain(41, 30)}));
}

TEST_F(HardwareTest, OutlinePointsOutsideTheDrawAreaAreDropped) {
  Start();
  SetClipArea(0, 0, 100, 100);
  fake::ClearD3dCalls();
  DrawCircle(0, 50, 10, static_cast<int>(MakeColor(255, 255, 255)), 0);
  int points = 0;
  for (const fake::D3dCall& draw : Draws()) {
    for (const fake::D3dVertex& v : draw.vertices) {
      ++points;
      EXPECT_GE(v.x, 0) << "a point left of the area: " << fake::FormatD3dCall(draw);
    }
  }
  EXPECT_GT(points, 0);
}

TEST_F(HardwareTest, DiscRowsOutsideTheDrawAreaSendNothing) {
  Start();
  SetClipArea(0, 0, 800, 100);
  fake::ClearD3dCalls();
  DrawCircle(50, 95, 20, static_cast<int>(MakeColor(255, 255, 255)), 1);
  std::vector<int> rows;
  for (const fake::D3dCall& draw : Draws()) {
    EXPECT_EQ(draw.numbers[0], D3DPT_LINELIST);
    for (const fake::D3dVertex& v : draw.vertices) rows.push_back(static_cast<int>(v.y));
  }
  ASSERT_EQ(rows.size(), 2u * 25) << "rows 75..99, one span each";
  for (int row : rows) {
    EXPECT_GE(row, 75);
    EXPECT_LT(row, 100);
  }

  // Rows past the bottom of the whole target touch no row flag (the sanitizer build watches).
  SetClipArea(0, 0, 800, 600);
  fake::ClearD3dCalls();
  DrawCircle(400, 599, 300, static_cast<int>(MakeColor(255, 255, 255)), 1);
  DrawCircle(400, -50, 100, static_cast<int>(MakeColor(255, 255, 255)), 1);
  EXPECT_FALSE(Draws().empty());
}

TEST_F(HardwareTest, TheBatchIsFlushedBeforeATypeChangeClearPresentAndTargetChange) {
  Start();
  const int white = static_cast<int>(MakeColor(255, 255, 255));
  struct Step {
    const char* what;
    void (*action)();
  };
  const Step steps[] = {
      {"a circle", [] { DrawCircle(50, 50, 3, static_cast<int>(MakeColor(255, 255, 255)), 0); }},
      {"a clear", [] { ClearScreen(); }},
      {"a present", [] { PresentScreen(); }},
      {"a target change", [] { SelectDrawTarget(ScreenBack); }},
      {"a blend change",
       [] {
         SetBlendMode(BlendModeAdd, 255);
         DrawLine(1, 1, 2, 3, static_cast<int>(MakeColor(255, 255, 255)), 1);
       }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    SetBlendMode(BlendModeNone, 0);
    DrawLine(1, 1, 5, 5, white, 1);
    fake::ClearD3dCalls();
    step.action();
    const std::vector<fake::D3dCall> draws = Draws();
    ASSERT_FALSE(draws.empty());
    EXPECT_EQ(draws[0].numbers, (Numbers{D3DPT_LINELIST, 1, 20}));
    EXPECT_EQ(draws[0].vertices, (Vertices{Plain(1, 1), Plain(5, 5)}));
    FlushVertexBatch();
    SelectDrawTarget(ScreenFront);
  }
}

TEST_F(HardwareTest, AFullBatchIsDrawnBeforeTheNextLine) {
  Start();
  const int white = static_cast<int>(MakeColor(255, 255, 255));
  // 3225 vertices fit: 1612 lines, and the 1613th no longer.
  for (int i = 0; i < 1612; ++i) DrawLine(0, i % 500, 10, i % 500 + 1, white, 1);
  EXPECT_TRUE(Draws().empty());
  DrawLine(0, 0, 10, 1, white, 1);
  ASSERT_EQ(Draws().size(), 1u);
  EXPECT_EQ(Draws()[0].numbers, (Numbers{D3DPT_LINELIST, 1612, 20}));
  FlushVertexBatch();
  EXPECT_EQ(Draws().back().numbers, (Numbers{D3DPT_LINELIST, 1, 20}));
}

TEST_F(HardwareTest, BoxesShareATriangleListAndLinesStartANewBatch) {
  Start();
  SetClipArea(0, 0, 100, 100);
  HardwareBox(90, 90, 120, 95, MakeColor(255, 255, 255));  // clipped to the area
  HardwareBox(10, 10, 10, 50, MakeColor(255, 255, 255));   // empty
  HardwareBox(20, 30, 10, 40, MakeColor(255, 255, 255));   // normalised
  DrawLine(0, 0, 3, 3, static_cast<int>(MakeColor(255, 255, 255)), 1);
  const std::vector<fake::D3dCall> draws = Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].numbers, (Numbers{D3DPT_TRIANGLELIST, 4, 20}));
  EXPECT_EQ(draws[0].vertices,
            (Vertices{Plain(90, 90), Plain(100, 90), Plain(90, 95), Plain(100, 95), Plain(90, 95), Plain(100, 90),
                      Plain(10, 30), Plain(20, 30), Plain(10, 40), Plain(20, 40), Plain(10, 40), Plain(20, 30)}));
}

TEST_F(HardwareTest, ThickLinesAreTwoTrianglesOnlyOnTheHardwareBackEnd) {
  Start();
  SetClipArea(5, 5, 5, 100);  // an empty area does not stop a thick line
  EXPECT_EQ(DrawLine(10, 20, 110, 20, static_cast<int>(MakeColor(255, 0, 0)), 3), 0);
  const std::vector<fake::D3dCall> draws = Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].numbers, (Numbers{D3DPT_TRIANGLESTRIP, 2, 28}));
  const auto corner = [](float x, float y) {
    return fake::D3dVertex{true, x, y, 0, 1, 0xFFFF0000, std::nullopt, {{0, 0}}};
  };
  EXPECT_EQ(draws[0].vertices,
            (Vertices{corner(10, 18.5f), corner(110, 18.5f), corner(10, 21.5f), corner(110, 21.5f)}));
  EXPECT_EQ(Calls(Kind::SetFVF).back().numbers, Numbers{D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1});
  // Rows whose pixel centres lie inside 18.5..21.5, columns 10..109: three rows of 100.
  const std::vector<std::uint32_t> pixels = fake::BackBufferPixels();
  int lit = 0;
  for (int y = 0; y < 600; ++y) {
    for (int x = 0; x < 800; ++x) {
      if ((pixels[static_cast<size_t>(y) * 800 + x] & 0xFFFFFF) == 0xFF0000) {
        ++lit;
        EXPECT_TRUE(y >= 19 && y <= 21 && x >= 10 && x <= 109) << x << ", " << y;
      }
    }
  }
  EXPECT_EQ(lit, 300);
  EXPECT_EQ(DrawLine(10, 20, 10, 20, static_cast<int>(MakeColor(255, 0, 0)), 3), 0) << "no direction";
  EXPECT_EQ(Draws().size(), 1u);
}

TEST_F(HardwareTest, TheRecordingDeviceRefusesAStrideShorterThanTheVertexFormat) {
  Start();
  const VertexTextured v[3] = {};
  IDirect3DDevice9* device = GraphicsState.device;
  ASSERT_EQ(device->SetFVF(VertexFormatFvf[FormatTextured]), D3D_OK);
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(VertexPlain)), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(VertexTextured)), D3D_OK);
}

// ---- the state cache ------------------------------------------------------------------------

TEST_F(HardwareTest, StatesAreSentOnlyWhenTheyChangeAndAllAgainOnResend) {
  Start();
  const int white = static_cast<int>(MakeColor(255, 255, 255));
  DrawLine(0, 0, 5, 5, white, 1);
  DrawCircle(20, 20, 4, white, 1);
  DrawLine(0, 0, 5, 9, white, 1);
  EXPECT_TRUE(Calls(Kind::SetRenderState).empty()) << "start-up sent them all already:\n" << fake::D3dDump();
  EXPECT_TRUE(Calls(Kind::SetTextureStageState).empty());

  SetBlendMode(BlendModeAlpha, 128);
  DrawLine(0, 0, 5, 5, white, 1);
  EXPECT_EQ(Calls(Kind::SetRenderState),
            (std::vector{Call(Kind::SetRenderState, {D3DRS_ALPHABLENDENABLE, TRUE}),
                         Call(Kind::SetRenderState, {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA}),
                         Call(Kind::SetRenderState, {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA})}));
  DrawLine(0, 0, 5, 5, white, 1);
  EXPECT_EQ(Calls(Kind::SetRenderState).size(), 3u);

  fake::ClearD3dCalls();
  const size_t renderStates = [] {
    int n = 0;
    for (bool known : HardwareState.renderKnown) n += known;
    return static_cast<size_t>(n);
  }();
  ResendDeviceState();
  EXPECT_EQ(Calls(Kind::SetRenderState).size(), renderStates);
  EXPECT_EQ(Calls(Kind::SetSamplerState).size(), 8u * 5 + 1) << "five per stage and the anisotropy";
  EXPECT_EQ(Calls(Kind::SetViewport), std::vector{Call(Kind::SetViewport, {0, 0, 800, 600}, {}, {0, 1})});
  EXPECT_EQ(Calls(Kind::SetScissorRect).size(), 1u);
  EXPECT_FALSE(Calls(Kind::SetTextureStageState).empty());

  fake::ClearD3dCalls();
  DrawLine(0, 0, 5, 5, white, 1);
  EXPECT_TRUE(Calls(Kind::SetRenderState).empty()) << "the cache is as the device after a resend";
}

TEST_F(HardwareTest, TheViewportFollowsTheClipAreaAndClosesTheScene) {
  Start();
  DrawLine(0, 0, 5, 5, static_cast<int>(MakeColor(255, 255, 255)), 1);
  SetClipArea(300, 200, 100, 50);
  SetClipArea(100, 50, 300, 200);  // the same area: nothing sent
  SetClipArea(5, 5, 5, 100);       // empty: nothing sent
  EXPECT_EQ(Calls(Kind::SetViewport), std::vector{Call(Kind::SetViewport, {100, 50, 200, 150}, {}, {0, 1})});
  ASSERT_NE(FindKind(Kind::DrawPrimitiveUP), -1);
  EXPECT_LT(FindKind(Kind::DrawPrimitiveUP), FindKind(Kind::EndScene));
  EXPECT_LT(FindKind(Kind::EndScene), FindKind(Kind::SetViewport));
}

// ---- blend states ---------------------------------------------------------------------------

TEST_F(HardwareTest, BlendStateTableRowsWithAndWithoutBlendOperations) {
  struct Row {
    int mode;
    DWORD enable, src, dest, op;
  };
  // Rows keeping -1 show what the previous mode (1) left.
  const Row rows[] = {
      {0, 0, 5, 6, 1},  {1, 1, 5, 6, 1},  {2, 1, 5, 2, 1},  {3, 1, 5, 2, 3}, {4, 1, 1, 3, 1},
      {5, 1, 5, 2, 1},  {6, 0, 5, 6, 1},  {7, 1, 5, 6, 1},  {8, 1, 1, 2, 1}, {9, 1, 10, 1, 1},
      {10, 1, 5, 6, 1}, {11, 1, 1, 3, 1}, {12, 1, 5, 2, 3},
  };
  for (bool blendOp : {true, false}) {
    fake::ResetPlatform();
    fake::UseRecordingDevice(true);
    fake::SetBlendOpSupported(blendOp);
    Start();
    for (const Row& row : rows) {
      SCOPED_TRACE("mode " + std::to_string(row.mode) + (blendOp ? " with" : " without") + " blend operations");
      SetBlendMode(BlendModeAlpha, 200);
      DrawLine(0, 0, 1, 1, static_cast<int>(MakeColor(255, 255, 255)), 1);
      SetBlendMode(row.mode, 200);
      DrawLine(0, 0, 1, 1, static_cast<int>(MakeColor(255, 255, 255)), 1);
      const HardwareStateRecord& h = HardwareState;
      const bool inverting = row.mode == 3 && !blendOp;
      EXPECT_EQ(h.renderState[D3DRS_ALPHABLENDENABLE], row.enable);
      EXPECT_EQ(h.renderState[D3DRS_SRCBLEND], inverting ? DWORD{D3DBLEND_INVDESTCOLOR} : row.src);
      EXPECT_EQ(h.renderState[D3DRS_DESTBLEND], inverting ? DWORD{D3DBLEND_ZERO} : row.dest);
      EXPECT_EQ(h.renderState[D3DRS_BLENDOP], inverting ? DWORD{D3DBLENDOP_ADD} : row.op);
      EXPECT_EQ(h.renderState[D3DRS_ALPHATESTENABLE], DWORD{FALSE});
      const DWORD colorOp = h.stageState[0][D3DTSS_COLOROP];
      const DWORD expectedOp = inverting        ? D3DTOP_SELECTARG1
                               : row.mode == 11 ? D3DTOP_BLENDDIFFUSEALPHA
                               : row.mode == 10 ? D3DTOP_SELECTARG1
                                                : D3DTOP_SELECTARG2;
      EXPECT_EQ(colorOp, expectedOp);
      if (row.mode == 11) {
        EXPECT_EQ(h.renderState[D3DRS_TEXTUREFACTOR], 0xFFFFFFFFu);
      }
      if (row.mode == 10) {
        EXPECT_EQ(h.stageState[0][D3DTSS_COLORARG1], D3DTA_DIFFUSE | D3DTA_COMPLEMENT);
      }
      EXPECT_EQ(h.stageState[1][D3DTSS_COLOROP], DWORD{D3DTOP_DISABLE});
    }
    EndEngine();
  }
}

TEST_F(HardwareTest, SubtractionWithoutBlendOperationsIsDrawnBetweenTwoInversions) {
  fake::SetBlendOpSupported(false);
  Start();
  SetTint(255, 0, 255);
  SetBlendMode(BlendModeSubtract, 128);
  fake::ClearD3dCalls();
  DrawLine(10, 10, 20, 10, static_cast<int>(MakeColor(255, 255, 255)), 1);
  FlushVertexBatch();
  const std::vector<fake::D3dCall> draws = Draws();
  ASSERT_EQ(draws.size(), 3u) << fake::D3dDump();
  // The bounding box (10, 10)-(21, 11) inverted in white, the line added, inverted again.
  EXPECT_EQ(draws[0].numbers, (Numbers{D3DPT_TRIANGLELIST, 2, 20}));
  ASSERT_FALSE(draws[0].vertices.empty());
  EXPECT_EQ(draws[0].vertices[0], Plain(10, 10));
  EXPECT_EQ(draws[1].numbers, (Numbers{D3DPT_LINELIST, 1, 20}));
  EXPECT_EQ(draws[1].vertices, (Vertices{Plain(10, 10, 0x80FF00FF), Plain(19.9f, 10, 0x80FF00FF)}));
  EXPECT_EQ(draws[2], draws[0]);
  EXPECT_EQ(draws[2].vertices, draws[0].vertices);
  EXPECT_EQ(DrawState.blendMode, BlendModeSubtract);
  EXPECT_EQ(DrawState.blendParam, 128);
  EXPECT_EQ(DrawState.tint[1], 0) << "the tint is back";
  ASSERT_NE(draws[1].states, nullptr);
  EXPECT_EQ(draws[1].states->render[D3DRS_DESTBLEND], static_cast<DWORD>(D3DBLEND_ONE)) << "mode 5 adds";
}

// ---- the device's pixel rules ----------------------------------------------------------------

// The recording device lights what the reference model of Direct3D 9's rules lights (the same
// model the OpenGL device is tested against), on the cases where a plainer model goes wrong:
// a point half-way between two pixels, lines through the corners between two rows or columns
// or along the edges of diamonds, and a narrow channel widened by rounding.
TEST_F(HardwareTest, TheDeviceDrawsByTheReferencePixelRules) {
  Start();
  IDirect3DDevice9* device = GraphicsState.device;
  struct Plain {
    float x, y, z, rhw;
    DWORD diffuse;
  };
  const auto lit = [] {
    std::set<std::pair<int, int>> pixels;
    const std::vector<std::uint32_t> frame = fake::BackBufferPixels();
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 40; ++x) {
        if ((frame[static_cast<std::size_t>(y) * 800 + x] & 0xFFFFFF) != 0) pixels.insert({x, y});
      }
    }
    return pixels;
  };
  // Cleared on the device itself: no engine call comes between the test's states and its draws.
  const auto clear = [device] { device->ColorFill(GraphicsState.backBuffer, nullptr, 0); };
  // The device as the test needs it, whatever the engine's last draw left.
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);

  clear();
  const Plain points[] = {{2.5f, 3, 0, 1, 0xFFFFFFFF}, {20.5f, 10.5f, 0, 1, 0xFFFFFFFF}, {7, 30.5f, 0, 1, 0xFFFFFFFF}};
  device->DrawPrimitiveUP(D3DPT_POINTLIST, 3, points, sizeof(Plain));
  std::set<std::pair<int, int>> expected;
  for (const Plain& p : points) {
    const d3d9rules::PixelPosition at = d3d9rules::PointPixel(p.x, p.y);
    expected.insert({at.x, at.y});
  }
  EXPECT_EQ(expected, (std::set<std::pair<int, int>>{{2, 3}, {20, 10}, {7, 30}}));
  EXPECT_EQ(lit(), expected);

  const float lines[][4] = {{0, 1, 4, 3}, {4, 3, 0, 1}, {1, 0, 3, 4}, {2, 2.5f, 12, 12.5f}, {30, 8.5f, 20, 8.5f}};
  for (const auto& l : lines) {
    clear();
    const Plain ends[] = {{l[0], l[1], 0, 1, 0xFFFFFFFF}, {l[2], l[3], 0, 1, 0xFFFFFFFF}};
    device->DrawPrimitiveUP(D3DPT_LINELIST, 1, ends, sizeof(Plain));
    std::set<std::pair<int, int>> model;
    d3d9rules::ForEachLinePixel(l[0], l[1], l[2], l[3], [&](int x, int y) { model.insert({x, y}); });
    EXPECT_EQ(lit(), model) << "(" << l[0] << ", " << l[1] << ")-(" << l[2] << ", " << l[3] << ")";
  }
  std::set<std::pair<int, int>> corners;
  d3d9rules::ForEachLinePixel(0, 1, 4, 3, [&](int x, int y) { corners.insert({x, y}); });
  EXPECT_EQ(corners, (std::set<std::pair<int, int>>{{0, 1}, {1, 1}, {2, 2}, {3, 2}})) << "the upper row at a tie";

  // A 5-6-5 texel of red 3, green 1, blue 3, drawn as it is.
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      static_cast<std::uint16_t*>(locked.pBits)[y * locked.Pitch / 2 + x] = (3 << 11) | (1 << 5) | 3;
    }
  }
  texture->UnlockRect(0);
  clear();
  device->SetTexture(0, texture);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
  struct Textured {
    float x, y, z, rhw;
    DWORD diffuse;
    float u, v;
  } quad[] = {{9.5f, 9.5f, 0, 1, 0xFFFFFFFF, 0, 0},
              {17.5f, 9.5f, 0, 1, 0xFFFFFFFF, 1, 0},
              {9.5f, 17.5f, 0, 1, 0xFFFFFFFF, 0, 1},
              {17.5f, 17.5f, 0, 1, 0xFFFFFFFF, 1, 1}};
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Textured));
  const std::uint32_t expectedTexel =
      d3d9rules::WidenChannel(3, 5) << 16 | d3d9rules::WidenChannel(1, 6) << 8 | d3d9rules::WidenChannel(3, 5);
  EXPECT_EQ(expectedTexel, 0x190419u) << "5-bit 3 is 25, 6-bit 1 is 4";
  EXPECT_EQ(fake::BackBufferPixels()[12 * 800 + 12] & 0xFFFFFF, expectedTexel);
  device->SetTexture(0, nullptr);
  texture->Release();
  ResendDeviceState();
}

// ---- clear, present, the sub back buffer ----------------------------------------------------

TEST_F(HardwareTest, ClearFillsTheWholeTargetAndPresentShowsTheWindowRectangle) {
  Start();
  SetClearColor(10, 20, 30);
  SetClipArea(10, 10, 20, 20);
  fake::ClearD3dCalls();
  EXPECT_EQ(ClearScreen(), 0);
  EXPECT_EQ(Calls(Kind::ColorFill),
            std::vector{Call(Kind::ColorFill, {0x000A141E}, {"backbuffer"}, {}, {std::nullopt})});
  EXPECT_EQ(Calls(Kind::Clear), std::vector{Call(Kind::Clear, {0, D3DCLEAR_ZBUFFER, 0, 0}, {"null"}, {1.0f})});
  const std::vector<std::uint32_t> pixels = fake::BackBufferPixels();
  ASSERT_EQ(pixels.size(), 800u * 600);
  EXPECT_EQ(pixels[0], 0xFF0A141Eu);
  EXPECT_EQ(pixels[800 * 600 - 1], 0xFF0A141Eu);

  EXPECT_EQ(PresentScreen(), 0);
  const fake::D3dRect screen{0, 0, 800, 600};
  EXPECT_EQ(Calls(Kind::SwapChainPresent),
            std::vector{Call(Kind::SwapChainPresent, {0}, {"window", "null"}, {}, {screen, screen})});

  EngineState.WindowScale = 1.5;
  fake::ClearD3dCalls();
  PresentScreen();
  EXPECT_EQ(Calls(Kind::SwapChainPresent), std::vector{Call(Kind::SwapChainPresent, {0}, {"window", "null"}, {},
                                                            {screen, fake::D3dRect{0, 0, 1200, 900}})});
}

TEST_F(HardwareTest, TheSubBackBufferTakesOverTheScreenAndIsCopiedBeforeEachPresent) {
  Start();
  EXPECT_EQ(EnsureSubBackBuffer(), 0);
  EXPECT_EQ(EnsureSubBackBuffer(), 0) << "made once";
  EXPECT_EQ(
      Calls(Kind::CreateRenderTarget),
      std::vector{Call(Kind::CreateRenderTarget, {800, 600, D3DFMT_X8R8G8B8, 0, 0, FALSE}, {}, {}, {}, "target1")});
  const fake::D3dCall copy =
      Call(Kind::StretchRect, {D3DTEXF_NONE}, {"backbuffer", "target1"}, {}, {std::nullopt, std::nullopt});
  EXPECT_EQ(Calls(Kind::StretchRect), std::vector{copy});
  EXPECT_EQ(Calls(Kind::SetRenderTarget), std::vector{Call(Kind::SetRenderTarget, {0}, {"target1"})});
  EXPECT_EQ(Calls(Kind::SetViewport).size(), 2u) << "the viewport goes out again for the new target";

  fake::ClearD3dCalls();
  ClearScreen();
  PresentScreen();
  EXPECT_EQ(Calls(Kind::ColorFill), std::vector{Call(Kind::ColorFill, {0}, {"target1"}, {}, {std::nullopt})});
  const long back =
      Find({Call(Kind::StretchRect, {D3DTEXF_NONE}, {"target1", "backbuffer"}, {}, {std::nullopt, std::nullopt})});
  EXPECT_NE(back, -1);
  EXPECT_LT(back, FindKind(Kind::SwapChainPresent));

  SelectDrawTarget(ScreenBack);
  EXPECT_EQ(HardwareState.renderTarget, GraphicsState.subBackBuffer);
}

TEST_F(HardwareTest, ASubBackBufferThatCannotBeMadeLeavesDrawingOnTheBackBuffer) {
  fake::SetD3dFailure(fake::D3dFailure::RenderTarget, true);
  Start();
  EXPECT_EQ(EnsureSubBackBuffer(), -1);
  EXPECT_TRUE(Logged("サブバックバッファの作成に失敗しました\r\n"));
  EXPECT_EQ(GraphicsState.subBackBuffer, nullptr);
  EXPECT_EQ(HardwareState.renderTarget, GraphicsState.backBuffer);
  EXPECT_EQ(PresentScreen(), 0);
  EXPECT_EQ(fake::D3dPresents() > 0, true);
}

// What graphics will need of the device: textures with lockable levels that keep their texture
// alive, filled and read back.
TEST_F(HardwareTest, TexturesHandOutLockableLevels) {
  Start();
  IDirect3DDevice9* device = GraphicsState.device;
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(128, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  IDirect3DSurface9* level = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(0, &level), D3D_OK);
  texture->Release();  // the level keeps it
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(level->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Width, 128u);
  EXPECT_EQ(desc.Height, 64u);
  EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
  EXPECT_NE(device->ColorFill(level, nullptr, 0x80112233u), D3D_OK) << "a texture that is not drawn into";
  D3DLOCKED_RECT locked{};
  const RECT part = {4, 2, 8, 3};
  ASSERT_EQ(level->LockRect(&locked, &part, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(locked.Pitch, 128 * 4);
  EXPECT_EQ(*static_cast<std::uint32_t*>(locked.pBits), 0xCDCDCDCDu) << "what the memory held";
  EXPECT_NE(level->LockRect(&locked, nullptr, 0), D3D_OK) << "locked already";
  EXPECT_EQ(level->UnlockRect(), D3D_OK);
  level->Release();

  ASSERT_EQ(
      device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture, nullptr),
      D3D_OK);
  ASSERT_EQ(texture->GetSurfaceLevel(0, &level), D3D_OK);
  EXPECT_EQ(device->ColorFill(level, nullptr, 0x80112233u), D3D_OK);
  ASSERT_EQ(level->LockRect(&locked, &part, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(*static_cast<std::uint32_t*>(locked.pBits), 0x80112233u);
  level->UnlockRect();
  level->Release();
  texture->Release();

  fake::SetD3dFailure(fake::D3dFailure::Texture, true);
  EXPECT_NE(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  EXPECT_EQ(texture, nullptr);
}

TEST_F(HardwareTest, FullScreenPresentsWholeAndIsRebuiltOnReactivation) {
  ChangeWindowMode(FALSE);
  ASSERT_EQ(InitEngine(), 0);
  ASSERT_EQ(GraphicsState.useHardware, 1);
  int width = -1, height = -1;
  fake::LastDisplayChange(&width, &height);
  EXPECT_EQ(width, 0) << "the device, not GDI, sets the mode";
  const D3DPRESENT_PARAMETERS& p = fake::D3dPresentParameters();
  EXPECT_EQ(p.Windowed, FALSE);
  EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_DISCARD);
  EXPECT_EQ(p.BackBufferFormat, D3DFMT_X8R8G8B8);
  EXPECT_EQ(p.FullScreen_RefreshRateInHz, 60u);

  SetVSyncWait(FALSE);
  PumpMessages();
  fake::ClearD3dCalls();
  PresentScreen();
  EXPECT_EQ(Calls(Kind::SwapChainPresent),
            std::vector{Call(Kind::SwapChainPresent, {0}, {"window", "null"}, {}, {std::nullopt, std::nullopt})});

  // The front-screen timer first moves drawing onto the sub back buffer, which survives the
  // discarding swap.
  fake::AdvanceClock(40);
  PumpMessages();
  ASSERT_NE(GraphicsState.subBackBuffer, nullptr);
  EXPECT_EQ(HardwareState.renderTarget, GraphicsState.subBackBuffer);

  fake::Send({fake::EventKind::Deactivate});
  fake::Send({fake::EventKind::Activate});
  PumpMessages();
  ASSERT_EQ(GraphicsState.useHardware, 1);
  EXPECT_EQ(Calls(Kind::Reset),
            std::vector{Call(Kind::Reset, {100, 100, D3DFMT_UNKNOWN, 1, D3DSWAPEFFECT_COPY, TRUE,
                                           static_cast<std::int64_t>(D3DPRESENT_INTERVAL_IMMEDIATE)})})
      << "the old device went back to a small window first";
  EXPECT_EQ(Calls(Kind::CreateDevice).size(), 1u);
  EXPECT_EQ(HardwareState.renderTarget, GraphicsState.backBuffer);
  EXPECT_EQ(DrawLine(0, 0, 799, 599, static_cast<int>(MakeColor(255, 255, 255)), 1), 0);
}

TEST_F(HardwareTest, AModeChangeMakesEveryObjectAnew) {
  Start();
  ASSERT_EQ(SetScreenMode(640, 480, 32, 60), 0);
  EXPECT_EQ(GraphicsState.useHardware, 1);
  EXPECT_EQ(fake::D3dPresentParameters().BackBufferWidth, 640u);
  EXPECT_EQ(GraphicsState.depthBufferWidth, 1024);
  EXPECT_EQ(GraphicsState.depthBufferHeight, 512);
  EXPECT_EQ(DrawState.drawArea.right, 640);
  EXPECT_EQ(DrawLine(0, 0, 639, 479, static_cast<int>(MakeColor(255, 255, 255)), 1), 0);
}

// The engine's vertex records and primitive counts against the device's reading of them: a field
// the vertex format puts elsewhere, or a count that asks for more vertices than were sent,
// would draw garbage on both devices.
TEST(HardwareVertexFacts, EngineLayoutsAndCountsAgreeWithTheDevice) {
  struct FormatCase {
    int format;
    std::size_t diffuse, textures, size;
  };
  const FormatCase formats[] = {
      {FormatPlain, offsetof(VertexPlain, diffuse), 0, sizeof(VertexPlain)},
      {FormatTextured, offsetof(VertexTextured, diffuse), offsetof(VertexTextured, u), sizeof(VertexTextured)},
      {FormatTextured2, offsetof(VertexTextured2, diffuse), offsetof(VertexTextured2, u1), sizeof(VertexTextured2)},
  };
  for (const FormatCase& f : formats) {
    SCOPED_TRACE(f.format);
    const d3d9facts::VertexLayout layout = d3d9facts::LayoutOfVertex(VertexFormatFvf[f.format]);
    EXPECT_EQ(static_cast<std::size_t>(layout.diffuse), f.diffuse);
    if (f.textures != 0) {
      EXPECT_EQ(static_cast<std::size_t>(layout.textures), f.textures);
    }
    EXPECT_EQ(static_cast<std::size_t>(layout.size), f.size);
    EXPECT_EQ(VertexFormatStride[f.format], layout.size);
  }
  for (const D3DPRIMITIVETYPE type :
       {D3DPT_POINTLIST, D3DPT_LINELIST, D3DPT_LINESTRIP, D3DPT_TRIANGLELIST, D3DPT_TRIANGLESTRIP, D3DPT_TRIANGLEFAN}) {
    for (int vertices = 3; vertices <= 12; ++vertices) {
      const int primitives = PrimitiveCount(type, vertices);
      EXPECT_LE(d3d9facts::VertexCount(type, static_cast<std::size_t>(primitives)), static_cast<std::size_t>(vertices));
      EXPECT_GT(d3d9facts::VertexCount(type, static_cast<std::size_t>(primitives) + 1),
                static_cast<std::size_t>(vertices));
    }
  }
}

}  // namespace
