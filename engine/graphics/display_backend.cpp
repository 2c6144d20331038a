// Opening and closing the display back-end: Direct3D 9 when it can be brought up, otherwise the
// software back-end; DirectDraw waits for the vertical blank.
#include <cstdlib>
#include <cstring>

#include "../core/engine_state.h"
#include "../core/fatal_error.h"
#include "../core/log.h"
#include "../input/input.h"
#include "../window/window.h"
#include "display_listeners.h"
#include "draw_state.h"
#include "graphic_handle.h"
#include "graphic_source.h"
#include "graphics_state.h"
#include "hardware/hardware_state.h"
#include "platform/d3d9.h"
#include "platform/kernel32.h"
#include "platform/ole32.h"
#include "platform/user32.h"
#include "vornek.h"

namespace {

void ReleaseDirectDraw() {
  if (GraphicsState.directDraw != nullptr) GraphicsState.directDraw->Release();
  GraphicsState.directDraw = nullptr;
}

int CreateDirectDraw() {
  ReleaseDirectDraw();
  LogText("DirectDraw オブジェクトの取得を行います....  ");
  void* object = nullptr;
  if (FAILED(CoCreateInstance(CLSID_DirectDraw7, nullptr, CLSCTX_ALL, IID_IDirectDraw7, &object)) ||
      object == nullptr) {
    LogText("オブジェクトの取得に失敗しました\n");
    return -1;
  }
  GraphicsState.directDraw = static_cast<IDirectDraw7*>(object);
  LogText("成功\n");
  LogText("引き続き初期化処理... ");
  if (FAILED(GraphicsState.directDraw->Initialize(nullptr))) {
    LogText("DirectDrawオブジェクトの初期化に失敗しました\n");
    ReleaseDirectDraw();
    return -1;
  }
  LogText("初期化に成功しました\n");
  GraphicsState.directDraw->SetCooperativeLevel(EngineState.MainWindow,
                                                DDSCL_NORMAL | (GraphicsState.fpuPreserve ? DDSCL_FPUPRESERVE : 0));
  return 0;
}

// Users whose graphics driver misbehaves can ask for the software back-end without rebuilding.
bool SoftwareRequestedByEnvironment() {
  const char* value = std::getenv("VORNEK_SOFTWARE");
  return value != nullptr && std::strcmp(value, "1") == 0;
}

// The hardware back-end: the Direct3D object, the device and its depth surface, each only
// after the one before; anything short of all three leaves nothing behind.
bool OpenHardwareBackEnd() {
  if (CreateDirect3D() == 0 && CreateDisplayDevice() == 0 && CreateDepthBuffer() == 0) {
    GraphicsState.useHardware = 1;
    SetupShaders();
    return true;
  }
  ReleaseDisplayDevice();
  return false;
}

DEVMODEA RequestedDisplayMode() {
  DEVMODEA mode{};
  mode.dmSize = sizeof(DEVMODEA);
  mode.dmPelsWidth = static_cast<DWORD>(GraphicsState.screenWidth);
  mode.dmPelsHeight = static_cast<DWORD>(GraphicsState.screenHeight);
  mode.dmBitsPerPel = static_cast<DWORD>(GraphicsState.screenBitDepth);
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  if (GraphicsState.refreshRate != 0) {
    mode.dmDisplayFrequency = static_cast<DWORD>(GraphicsState.refreshRate);
    mode.dmFields |= DM_DISPLAYFREQUENCY;
  }
  return mode;
}

// The requested mode at the requested rate, then at the display's default rate, then a
// 320 × 240 request as 640 × 480 shown doubled.
bool ChangeDisplayMode() {
  DEVMODEA mode = RequestedDisplayMode();
  if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL) return true;
  GraphicsState.refreshRate = 0;
  mode = RequestedDisplayMode();
  if (ChangeDisplaySettingsA(&mode, 0) == DISP_CHANGE_SUCCESSFUL) return true;
  if (GraphicsState.screenWidth != 320 || GraphicsState.screenHeight != 240) return false;
  GraphicsState.screenWidth = 640;
  GraphicsState.screenHeight = 480;
  GraphicsState.emulate320x240 = 1;
  mode = RequestedDisplayMode();
  if (ChangeDisplaySettingsA(&mode, 0) != DISP_CHANGE_SUCCESSFUL) return false;
  RefreshWindowLayout();
  return true;
}

}  // namespace

int OpenDisplayBackEnd() {
  GraphicsState.d3d9Library = LoadLibraryA("d3d9.dll");
  if (GraphicsState.d3d9Library == nullptr) {
    LogText("d3d9.dll の読み込みに失敗しました\n");
    return -1;
  }
  if (CreateDirectDraw() != 0) {
    FreeLibrary(GraphicsState.d3d9Library);
    GraphicsState.d3d9Library = nullptr;
    return -1;
  }
  GraphicsState.useHardware = 0;
  if (SoftwareRequestedByEnvironment()) {
    GraphicsState.softwareOnly = 1;
    LogText("環境変数 VORNEK_SOFTWARE=1 の指定により Direct3D を使用しません\n");
  } else if (GraphicsState.softwareOnly) {
    LogText("ソフトウエア描画のみの設定により Direct3D を使用しません\n");
  }
  // A windowed device takes the desktop's depth; when no device comes, the software back-end
  // draws at the depth asked for, the one the program's colour values were made in.
  const int requestedDepth = GraphicsState.screenBitDepth;
  if (!GraphicsState.softwareOnly && OpenHardwareBackEnd()) {
    LogText("ハードウエア描画 ( Direct3D 9 ) を使用します\n");
    return 0;
  }
  GraphicsState.screenBitDepth = requestedDepth;
  LogText("ソフトウエア描画を使用します\n");
  if (EngineState.Windowed) return 0;

  // Full-screen software mode changes the display mode through GDI.
  LogFormat("画面モードの変更処理を開始します %u x %u  %u bit ", GraphicsState.screenWidth, GraphicsState.screenHeight,
            GraphicsState.screenBitDepth);
  if (GraphicsState.screenBitDepth != 16 && GraphicsState.screenBitDepth != 32) return -1;
  LogText("画面解像度を変更します... ");
  if (!ChangeDisplayMode()) {
    LogText("画面モードの変更に失敗しました\n");
    return -1;
  }
  LogText("成功しました\n");
  return 0;
}

void CloseDisplayBackEnd() {
  // The software back-end gives the display its own mode back whatever the window mode says
  // now: a switch to windowed mode sets the flag before the full-screen back-end closes.
  if (!GraphicsState.useHardware) ChangeDisplaySettingsA(nullptr, 0);
  ReleaseDisplayDevice();
  ReleaseDirectDraw();
  if (GraphicsState.d3d9Library != nullptr) FreeLibrary(GraphicsState.d3d9Library);
  GraphicsState.d3d9Library = nullptr;
}

void CreateScreenImage() {
  const int type = GraphicsState.screenBitDepth == 16 ? Color16 : Color32;
  const int width = GraphicsState.screenWidth, height = GraphicsState.screenHeight;
  if (CreateScreenMemImg(&GraphicsState.screenImage, width, height, type) != 0) {
    FatalError("プライマリサーフェス用の MEMIMG の作成に失敗しました\n");
  }
  std::memset(GraphicsState.workImages, 0, sizeof GraphicsState.workImages);
  CreateMemImg(&GraphicsState.workImages[0], width, height, -1, 0, type, 0, 0, 0, nullptr);
  CreateMemImg(&GraphicsState.workImages[1], width, height, -1, 0, type, 0, 1, 0, nullptr);
  FillMemImg(&GraphicsState.screenImage, nullptr, BackgroundPixel(GraphicsState.screenImage));
  DrawState.softTarget = &GraphicsState.screenImage;
}

// Full-screen re-activation: the back-end is opened anew. The software screen image and the
// draw state survive; input is restarted by the next key check.
int RestoreGraphics() {
  if (!GraphicsState.graphicsStarted) return 0;
  ReleaseAllTextures();
  CloseDisplayBackEnd();
  EndInput();
  if (OpenDisplayBackEnd() != 0) FatalError("予期せぬ画面モード変更不能現象が起きました2\n");
  EngineState.HardwareRendering = GraphicsState.useHardware;
  if (!GraphicsState.useHardware) {
    if (!IsMemImgValid(&GraphicsState.screenImage)) CreateScreenImage();
    return 0;
  }
  // The device is new: its state, the draw target and the picture are built again.
  InitHardwareState();
  // Textures come back empty; the listeners rebuild what they keep on them (glyph caches).
  RecreateAllTextures();
  RefillLoadedGraphics();
  NotifyDisplayRestored();
  SelectDrawTarget(DrawState.drawScreen);
  for (int i = 0; i < 2; ++i) {
    ClearScreen();
    PresentScreen();
  }
  ResendDeviceState();
  return 0;
}
