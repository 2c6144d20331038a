// Clearing the draw target and presenting the screen.
#include "../core/last_error.h"
#include "../core/engine_state.h"
#include "../window/window.h"
#include "display_listeners.h"
#include "draw_state.h"
#include "graphics_state.h"
#include "hardware/hardware_state.h"
#include "platform/gdi32.h"
#include "platform/kernel32.h"
#include "vornek.h"
#include "../core/engine_thread.h"

int ClearScreen() {
  if (CalledOffEngineThread(__func__)) return -1;
  if (!EngineState.AppActive) WaitWhileInactive();
  if (GraphicsState.useHardware) return HardwareClearScreen();
  // A graphic being drawn into is cleared, not the screen.
  MEMIMG* target = DrawState.softTarget != nullptr ? DrawState.softTarget : &GraphicsState.screenImage;
  if (!IsMemImgValid(target)) return 0;
  FillMemImg(target, nullptr, BackgroundPixel(*target));
  return 0;
}

void WaitVerticalBlank() {
  Sleep(0);
  IDirectDraw7* directDraw = GraphicsState.directDraw;
  if (directDraw == nullptr) return;
  BOOL inBlank = FALSE;
  if (FAILED(directDraw->GetVerticalBlankStatus(&inBlank)) || !inBlank) {
    directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
  }
}

int PresentScreen() {
  if (CalledOffEngineThread(__func__)) return -1;
  if (!EngineState.Initialised) return FailWithText("PresentScreen: the engine is not started");
  ++GraphicsState.presentCount;
  if (!EngineState.AppActive) WaitWhileInactive();
  NotifyDisplayPresenting();
  if (GraphicsState.useHardware) return HardwarePresentScreen();

  const int w = GraphicsState.screenWidth != 0 ? GraphicsState.screenWidth : 640;
  const int h = GraphicsState.screenHeight != 0 ? GraphicsState.screenHeight : 480;
  const bool doubling = GraphicsState.emulate320x240 && w == 640 && h == 480;
  const double scale = EffectiveWindowScale();
  const int destinationWidth = static_cast<int>(scale * w);
  const int destinationHeight = static_cast<int>(scale * h);

  const MEMIMG& screen = GraphicsState.screenImage;
  if (!IsMemImgValid(&screen)) return 0;
  if (!GraphicsState.noVSyncWait) WaitVerticalBlank();

  const ColorData* format = screen.shared->colorData;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = GraphicsState.screenWidth;
  info.bmiHeader.biHeight = -GraphicsState.screenHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = format->bitsPerPixel;
  info.bmiHeader.biCompression = BI_BITFIELDS;
  info.bmiColors[0] = format->redMask;
  info.bmiColors[1] = format->greenMask;
  info.bmiColors[2] = format->blueMask;

  HDC context = GetDC(EngineState.MainWindow);
  if (context == nullptr) return 0;
  if (doubling) {
    StretchDIBits(context, 0, 0, 640, 480, 0, 240, 320, 240, screen.pixels, &info, DIB_RGB_COLORS, SRCCOPY);
  } else if (destinationWidth == GraphicsState.screenWidth && destinationHeight == GraphicsState.screenHeight) {
    SetDIBitsToDevice(context, 0, 0, static_cast<DWORD>(w), static_cast<DWORD>(h), 0, 0, 0, static_cast<UINT>(h),
                      screen.pixels, &info, DIB_RGB_COLORS);
  } else {
    StretchDIBits(context, 0, 0, destinationWidth, destinationHeight, 0, 0, GraphicsState.screenWidth,
                  GraphicsState.screenHeight, screen.pixels, &info, DIB_RGB_COLORS, SRCCOPY);
  }
  ReleaseDC(EngineState.MainWindow, context);
  return 0;
}

void RepaintPresent() {
  if (GraphicsState.useHardware && !EngineState.Windowed) EnsureSubBackBuffer();
  const int saved = GraphicsState.noVSyncWait;
  GraphicsState.noVSyncWait = 1;
  PresentScreen();
  GraphicsState.noVSyncWait = saved;
}
