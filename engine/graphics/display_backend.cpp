// Opening and closing the display back-end. Direct3D 9 yields no object on this platform, so
// the software back-end serves; DirectDraw waits for the vertical blank.
#include <cstring>

#include "../core/engine_state.h"
#include "../core/fatal_error.h"
#include "../core/log.h"
#include "../input/input.h"
#include "../window/window.h"
#include "draw_state.h"
#include "graphics_state.h"
#include "platform/d3d9.h"
#include "platform/kernel32.h"
#include "platform/ole32.h"
#include "platform/user32.h"

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
  GraphicsState.directDraw->SetCooperativeLevel(EngineState.MainWindow, DDSCL_NORMAL);
  return 0;
}

int CreateDirect3D() {
  LogText("IDirect3D9 オブジェクトを取得します.... ");
  auto create = reinterpret_cast<Direct3DCreate9Function>(GetProcAddress(GraphicsState.d3d9Library, "Direct3DCreate9"));
  if (create == nullptr) {
    LogText("Direct3DCreate9 APIのアドレス取得に失敗しました\n");
    return -1;
  }
  if (create(D3D_SDK_VERSION) == nullptr) {
    LogText("IDirect3D9 オブジェクトの取得に失敗しました\n");
    return -1;
  }
  // A device would be created here; none is served yet.
  return -1;
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
  if (!GraphicsState.softwareOnly) CreateDirect3D();
  if (EngineState.Windowed) return 0;

  // Full-screen software mode changes the display mode through GDI.
  LogFormat("画面モードの変更処理を開始します %u x %u  %u bit ", GraphicsState.screenWidth,
            GraphicsState.screenHeight, GraphicsState.screenBitDepth);
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
  ReleaseDirectDraw();
  // The software back-end gives the display its own mode back whatever the window mode says
  // now: a switch to windowed mode sets the flag before the full-screen back-end closes.
  if (!GraphicsState.useHardware) ChangeDisplaySettingsA(nullptr, 0);
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
  CloseDisplayBackEnd();
  EndInput();
  if (OpenDisplayBackEnd() != 0) FatalError("予期せぬ画面モード変更不能現象が起きました2\n");
  return 0;
}
