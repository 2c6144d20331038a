// The screen mode and the start and end of the graphics subsystem.
#include "../core/last_error.h"
#include "../core/engine_state.h"
#include "../core/fatal_error.h"
#include "../core/log.h"
#include "../window/window.h"
#include "display_listeners.h"
#include "draw_state.h"
#include "graphic_handle.h"
#include "graphics_state.h"
#include "hardware/hardware_state.h"
#include "soft/blend_tables.h"
#include "platform/user32.h"
#include "vornek.h"
#include "../core/engine_thread.h"

constinit GraphicsStateRecord GraphicsState{};

namespace {

struct Mode {
  int width, height, bits, rate;
  bool operator==(const Mode&) const = default;
};

Mode CurrentMode() {
  return {GraphicsState.screenWidth, GraphicsState.screenHeight, GraphicsState.screenBitDepth,
          GraphicsState.refreshRate};
}

void SetMode(const Mode& mode) {
  GraphicsState.screenWidth = mode.width;
  GraphicsState.screenHeight = mode.height;
  GraphicsState.screenBitDepth = mode.bits;
  GraphicsState.refreshRate = mode.rate;
}

}  // namespace

int SetScreenMode(int width, int height, int bitDepth, int refreshRate) {
  if (CalledOffEngineThread(__func__)) return -1;
  // Negative sides and sides beyond any display would only fail later, in the window's and the
  // screen image's arithmetic.
  if (width < 1 || height < 1 || width > MaxScreenSide || height > MaxScreenSide) {
    return FailWithText("SetScreenMode: %d x %d is outside 1-%d on a side", width, height, MaxScreenSide);
  }
  if (bitDepth != 8 && bitDepth != 16 && bitDepth != 32) {
    return FailWithText("SetScreenMode: %d bits per pixel; only 8, 16 and 32 are supported", bitDepth);
  }
  const Mode wanted{width, height, bitDepth, refreshRate};
  if (!EngineState.Initialised) {
    SetMode(wanted);
    return 0;
  }
  const Mode before = CurrentMode();
  ChangeScreenMode(width, height, bitDepth, 0, refreshRate);
  const Mode now = CurrentMode();
  if (now == wanted) return 0;
  // A windowed device draws at the desktop's depth, as it did from the start: the change asked
  // for is in force, as it is on the software back-end.
  if (GraphicsState.useHardware && EngineState.Windowed && now == Mode{width, height, now.bits, refreshRate}) return 0;
  if (now == before)
    return FailWithText("SetScreenMode: the display refused %d x %d x %d; the mode is unchanged", width, height,
                        bitDepth);
  if (now == Mode{640, 480, 16, 0}) {
    SetLastErrorText("SetScreenMode: the display refused %d x %d x %d; the screen fell back to 640 x 480 x 16", width,
                     height, bitDepth);
    return -2;
  }
  return FailWithText("SetScreenMode: the display refused %d x %d x %d", width, height, bitDepth);
}

// 0 when the wanted mode started; -1 when another mode serves in its place (the one before, or
// 640 × 480 × 16), so that a switch of the window mode can report that its mode was refused.
int ChangeScreenMode(int width, int height, int bitDepth, int force, int refreshRate) {
  const Mode current = CurrentMode();
  const bool emulating = GraphicsState.emulate320x240 != 0;
  // While a 320 × 240 request is served doubled, 320 × 240 is the mode in force.
  const Mode asked = emulating ? Mode{320, 240, current.bits, current.rate} : current;
  const Mode wanted{width == -1 ? asked.width : width, height == -1 ? asked.height : height,
                    bitDepth == -1 ? asked.bits : bitDepth, refreshRate == -1 ? asked.rate : refreshRate};
  if (wanted == asked && !force) return 0;
  LogText("画面モード変更処理を開始します\n");
  NotifyDisplayModeChanging();
  if (!EngineState.Initialising && !EngineState.Initialised) return 0;

  if (GraphicsState.graphicsStarted) EndGraphics();
  // Only a mode that needs it turns the doubling on again.
  GraphicsState.emulate320x240 = 0;
  SetMode(wanted);
  int result = 0;
  if (StartGraphics() != 0) {
    bool started = false;
    if (wanted.width == 320 && wanted.height == 240) {
      GraphicsState.screenWidth = 640;
      GraphicsState.screenHeight = 480;
      GraphicsState.emulate320x240 = 1;
      started = StartGraphics() == 0;
    }
    if (!started) {
      result = -1;
      SetMode(current);
      GraphicsState.emulate320x240 = emulating ? 1 : 0;
      started = StartGraphics() == 0;
    }
    if (!started) {
      SetMode({640, 480, 16, 0});
      GraphicsState.emulate320x240 = 0;
      started = StartGraphics() == 0;
    }
    // A display that can take no full-screen mode at all still has its desktop: the window
    // goes back to windowed mode in the mode it had.
    if (!started && !EngineState.Windowed && EngineState.MainWindow != nullptr) {
      LogText("フルスクリーンモードで画面を初期化できなかったため、ウインドウモードに戻します\n");
      result = -1;
      EngineState.Windowed = 1;
      ApplyWindowStyle();
      SetMode(current);
      GraphicsState.emulate320x240 = emulating ? 1 : 0;
      started = StartGraphics() == 0;
    }
    if (!started) FatalError("予期せぬ画面モード変更不能現象が起きました2\n");
  }
  RefreshWindowLayout();
  NotifyDisplayModeChanged();
  LogText("画面モード変更処理は正常に終了しました\n");
  PumpWindowMessages();
  return result;
}

int StartGraphics() {
  if (GraphicsState.graphicsStarted) return 0;
  if (GraphicsState.screenWidth == 0) GraphicsState.screenWidth = 640;
  if (GraphicsState.screenHeight == 0) GraphicsState.screenHeight = 480;
  if (GraphicsState.screenBitDepth == 0) GraphicsState.screenBitDepth = 16;

  // No shader pack is shipped: nothing drawn here needs programmable shaders.
  if (OpenDisplayBackEnd() == -1) {
    EndGraphics();
    return -1;
  }
  GraphicsState.graphicsStarted = 1;
  // Colour values are made in the screen's format from here on.
  EngineState.HardwareRendering = GraphicsState.useHardware;
  EngineState.ScreenDepth = GraphicsState.screenBitDepth == 16 ? 16 : 32;
  if (GraphicsState.useHardware) {
    InitHardwareState();
  } else {
    CreateScreenImage();
  }
  StartGraphicTable();
  InitDrawState();
  BuildSoftBlendTables();
  NotifyDisplayStarted();
  return 0;
}

int EndGraphics() {
  if (!GraphicsState.graphicsStarted && GraphicsState.directDraw == nullptr && GraphicsState.d3d9Library == nullptr) {
    return 0;
  }
  if (GraphicsState.graphicsStarted) NotifyDisplayEnding();
  ReleaseAllGraphics();
  CloseDisplayBackEnd();
  GraphicsState.emulate320x240 = 0;
  ReleaseMemImg(&GraphicsState.screenImage);
  ReleaseMemImg(&GraphicsState.workImages[0]);
  ReleaseMemImg(&GraphicsState.workImages[1]);
  DrawState.softTarget = nullptr;
  GraphicsState.graphicsStarted = 0;
  // A restart of the graphics keeps the program's creation settings; the engine's end does not.
  if (EngineState.EndRequested) ResetGraphicCreateSettings();
  EngineState.HardwareRendering = 0;
  EngineState.ScreenDepth = 0;
  return 0;
}

int HasDisplayMode(int width, int height) {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  for (DWORD i = 0; EnumDisplaySettingsA(nullptr, i, &mode); ++i) {
    if (static_cast<int>(mode.dmPelsWidth) == width && static_cast<int>(mode.dmPelsHeight) == height) return 1;
  }
  return 0;
}

int SetVSyncWait(int flag) {
  if (CalledOffEngineThread(__func__)) return -1;
  GraphicsState.noVSyncWait = flag == 0;
  return 0;
}

int GetVSyncWait() {
  if (CalledOffEngineThread(__func__)) return -1;
  return GraphicsState.noVSyncWait == 0 ? 1 : 0;
}

std::uint32_t BackgroundPixel(const MEMIMG& image) {
  return PackColor(image.shared->colorData, GraphicsState.clearRed, GraphicsState.clearGreen, GraphicsState.clearBlue,
                   0);
}

int SetClearColor(int red, int green, int blue) {
  if (CalledOffEngineThread(__func__)) return -1;
  GraphicsState.clearRed = static_cast<unsigned char>(red);
  GraphicsState.clearGreen = static_cast<unsigned char>(green);
  GraphicsState.clearBlue = static_cast<unsigned char>(blue);
  return 0;
}

int GraphicsDisplayOpen() { return GraphicsState.graphicsStarted; }
int UsingHardwarePath() { return GraphicsState.useHardware; }

void GetRequestedScreenMode(int* width, int* height, int* bitDepth) {
  *width = GraphicsState.screenWidth;
  *height = GraphicsState.screenHeight;
  *bitDepth = GraphicsState.screenBitDepth;
}

int GetScreenSize(int* width, int* height, int* bitDepth) {
  if (CalledOffEngineThread(__func__)) return -1;
  // Zero until a mode is set or the screen is started: the defaults a start would take.
  if (width != nullptr) *width = GraphicsState.screenWidth != 0 ? GraphicsState.screenWidth : 640;
  if (height != nullptr) *height = GraphicsState.screenHeight != 0 ? GraphicsState.screenHeight : 480;
  if (bitDepth != nullptr) *bitDepth = GraphicsState.screenBitDepth != 0 ? GraphicsState.screenBitDepth : 16;
  return 0;
}
