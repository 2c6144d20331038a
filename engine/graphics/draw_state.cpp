// The draw state: target, clipping area, blend mode and tint.
#include "../core/last_error.h"
#include "draw_state.h"

#include <algorithm>
#include <iterator>

#include "../core/engine_state.h"
#include "../window/window.h"
#include "graphic_handle.h"
#include "graphics_state.h"
#include "hardware/hardware_state.h"
#include "vornek.h"
#include "../core/engine_thread.h"

DrawStateRecord DrawState;

namespace {

// Target numbers the engine accepts beside ScreenFront, ScreenBack and graphic handles; they
// have no size of their own and select the screen. (-5 here is a target, not NoGraphic.)
constexpr int SizelessScreenTargets[] = {-3, -5};

bool IsScreenTarget(int screen) {
  return screen == ScreenFront || screen == ScreenBack ||
         std::find(std::begin(SizelessScreenTargets), std::end(SizelessScreenTargets), screen) !=
             std::end(SizelessScreenTargets);
}

}  // namespace

int InitDrawState() {
  DrawState = DrawStateRecord{};
  // Every start of the graphics waits for the vertical blank again.
  GraphicsState.noVSyncWait = 0;
  DrawState.tint[0] = DrawState.tint[1] = DrawState.tint[2] = 0;
  DrawState.depth2D = 0.2f;
  DrawState.blendMode = BlendModeNone;
  DrawState.blendParam = 0;
  SetTint(255, 255, 255);
  DrawState.drawScreen = ScreenBack;
  SelectDrawTarget(ScreenFront);
  SetClipArea(0, 0, DrawState.drawScreenWidth, DrawState.drawScreenHeight);
  return 0;
}

namespace {

// A graphic as the draw target: its texture's surface, or its software view.
int SelectGraphicTarget(int handle) {
  GraphicRecord* record = GraphicFromHandle(handle);
  // Only a graphic made as a draw target, on either back-end: a program that draws into another
  // one in software would find it refused on hardware.
  if (record == nullptr)
    return FailWithText("SelectDrawTarget: %d is neither a screen nor a live graphic's handle", handle);
  if (record->image == nullptr || !record->image->flags.drawTarget) {
    return FailWithText("SelectDrawTarget: graphic %d was not made as a draw target", handle);
  }
  if (GraphicsState.useHardware) {
    IDirect3DSurface9* surface = GraphicTargetSurface(record);
    if (surface == nullptr) return FailWithText("SelectDrawTarget: graphic %d was not made as a draw target", handle);
    CloseScene();
    SetDeviceRenderTarget(surface);
    DrawState.softTarget = nullptr;
  } else {
    if (!IsMemImgValid(&record->softView))
      return FailWithText("SelectDrawTarget: graphic %d has no image to draw into", handle);
    DrawState.softTarget = &record->softView;
  }
  DrawState.drawScreen = handle;
  DrawState.drawScreenWidth = record->width;
  DrawState.drawScreenHeight = record->height;
  SetClipArea(0, 0, record->width, record->height);
  return 0;
}

}  // namespace

int SelectDrawTarget(int screen) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (!GraphicsState.graphicsStarted)
    return FailWithText("SelectDrawTarget: the screen is not set up (call InitEngine first)");
  if (!EngineState.AppActive) WaitWhileInactive();
  if (!IsScreenTarget(screen)) return SelectGraphicTarget(screen);

  if (GraphicsState.useHardware) {
    CloseScene();
    SetDeviceRenderTarget(GraphicsState.subBackBuffer != nullptr ? GraphicsState.subBackBuffer
                                                                 : GraphicsState.backBuffer);
    DrawState.softTarget = nullptr;
  } else {
    DrawState.softTarget = &GraphicsState.screenImage;
  }
  DrawState.drawScreen = screen;
  if (screen == ScreenFront) StartFrontScreenTimer();

  const int width = GraphicsState.screenWidth, height = GraphicsState.screenHeight;
  if (width == DrawState.drawScreenWidth && height == DrawState.drawScreenHeight) {
    SetClipArea(DrawState.clipArguments[0], DrawState.clipArguments[1], DrawState.clipArguments[2],
                DrawState.clipArguments[3]);
  } else {
    DrawState.drawScreenWidth = width;
    DrawState.drawScreenHeight = height;
    SetClipArea(0, 0, width, height);
  }
  return 0;
}

int GetDrawTarget() {
  if (CalledOffEngineThread(__func__)) return -1;
  return DrawState.drawScreen;
}

int SetClipArea(int x1, int y1, int x2, int y2) {
  if (CalledOffEngineThread(__func__)) return -1;
  DrawState.clipArguments[0] = x1;
  DrawState.clipArguments[1] = y1;
  DrawState.clipArguments[2] = x2;
  DrawState.clipArguments[3] = y2;
  const bool screen = IsScreenTarget(DrawState.drawScreen);
  if (!screen && !IsGraphicHandleValid(DrawState.drawScreen))
    return FailWithText("SetClipArea: the draw target is a graphic that no longer exists");
  // The area lies inside the target: the screen or the graphic being drawn into.
  const int width = screen ? GraphicsState.screenWidth : DrawState.drawScreenWidth;
  const int height = screen ? GraphicsState.screenHeight : DrawState.drawScreenHeight;
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  Rect& area = DrawState.drawArea;
  area = {std::clamp(x1, 0, width), std::clamp(y1, 0, height), std::clamp(x2, 0, width), std::clamp(y2, 0, height)};
  DrawState.drawAreaF[0] = static_cast<float>(area.left);
  DrawState.drawAreaF[1] = static_cast<float>(area.top);
  DrawState.drawAreaF[2] = static_cast<float>(area.right);
  DrawState.drawAreaF[3] = static_cast<float>(area.bottom);
  DrawState.drawAreaEmpty = area.left == area.right || area.top == area.bottom;
  if (DrawState.drawAreaEmpty) return 0;
  // The viewport is what clips hardware drawing.
  if (GraphicsState.useHardware) {
    if (GraphicsState.device == nullptr) return FailWithText("SetClipArea: the display device is lost");
    SetDeviceViewport(area.left, area.top, area.right - area.left, area.bottom - area.top);
  }
  return 0;
}

int SetBlendMode(int mode, int param) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (mode == DrawState.blendMode && param == DrawState.blendParam) return 0;
  if (!EngineState.AppActive) WaitWhileInactive();
  DrawState.blendMode = mode;
  DrawState.blendParam = std::clamp(param, 0, 255);
  if (GraphicsState.useHardware) UpdateDiffuseColor();
  return 0;
}

int SetTint(int red, int green, int blue) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (red == DrawState.tint[0] && green == DrawState.tint[1] && blue == DrawState.tint[2]) return 0;
  DrawState.tint[0] = static_cast<std::uint8_t>(std::clamp(red, 0, 255));
  DrawState.tint[1] = static_cast<std::uint8_t>(std::clamp(green, 0, 255));
  DrawState.tint[2] = static_cast<std::uint8_t>(std::clamp(blue, 0, 255));
  if (GraphicsState.useHardware) UpdateDiffuseColor();
  return 0;
}

SoftDrawParams CurrentSoftDrawParams() {
  SoftDrawParams params;
  params.drawArea = DrawState.drawArea;
  params.blendMode = DrawState.blendMode;
  params.blendParam = DrawState.blendParam;
  params.bright[0] = DrawState.tint[0];
  params.bright[1] = DrawState.tint[1];
  params.bright[2] = DrawState.tint[2];
  return params;
}

void RefreshDrawAreaAfterMove() {
  if (!GraphicsState.graphicsStarted) return;
  SetClipArea(DrawState.clipArguments[0], DrawState.clipArguments[1], DrawState.clipArguments[2],
              DrawState.clipArguments[3]);
}
