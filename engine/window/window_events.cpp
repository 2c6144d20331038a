// Activation, move, paint and desktop-change steps of the window procedure.
#include "../core/engine_state.h"
#include "../core/log.h"
#include "../graphics/draw_state.h"
#include "../graphics/graphics_state.h"
#include "../input/input.h"
#include "platform/gdi32.h"
#include "vornek.h"
#include "window.h"
#include "window_events.h"

// Movies are never opened by this program, so pausing and resuming them has nothing to do, and
// no joypad is set up to switch force feedback on or off.
void OnActivation(bool active, bool minimised) {
  EngineState.AppActive = active ? 1 : 0;
  if (EngineState.Creating) return;
  if (active) {
    if (!EngineState.Windowed && EngineState.Initialised && !minimised) RestoreGraphics();
    ReacquireInputDevices();
  } else if (EngineState.Windowed) {
    ReacquireInputDevices();
  } else {
    if (!UsingHardwarePath()) {
      ChangeDisplaySettingsA(nullptr, 0);
      ShowWindow(EngineState.MainWindow, SW_MINIMIZE);
    }
    if (!GraphicsDisplayOpen()) ReacquireInputDevices();
  }
  SwitchPadVibration(EngineState.AppActive != 0);
}

void OnMove(LPARAM position) {
  if (!EngineState.Windowed || EngineState.ModeSwitching) return;
  const int x = static_cast<short>(LOWORD(static_cast<std::uintptr_t>(position)));
  const int y = static_cast<short>(HIWORD(static_cast<std::uintptr_t>(position)));
  RECT client{};
  GetClientRect(EngineState.MainWindow, &client);
  EngineState.ClientRectOnScreen = RECT{x, y, x + client.right - client.left, y + client.bottom - client.top};
  RefreshDrawAreaAfterMove();
}

void OnPaint(HWND window) {
  PAINTSTRUCT paint;
  if (BeginPaint(window, &paint) == nullptr) return;
  if (EngineState.Windowed) {
    EngineState.Painting = 1;
    if (EngineState.Initialised) {
      if (GetDrawTarget() == ScreenBack) {
        const int wait = GetVSyncWait();
        SetVSyncWait(FALSE);
        RepaintPresent();
        SetVSyncWait(wait);
      }
    } else {
      FillRect(paint.hdc, &paint.rcPaint, GetStockObject(BLACK_BRUSH));
    }
    EngineState.Painting = 0;
  }
  EndPaint(window, &paint);
}

void OnDisplayChange(WPARAM depthParam, LPARAM size) {
  if (!EngineState.Windowed || EngineState.ModeSwitching) return;
  const int depth = static_cast<int>(depthParam);
  const int width = LOWORD(static_cast<std::uintptr_t>(size));
  const int height = HIWORD(static_cast<std::uintptr_t>(size));
  int screenWidth = 0, screenHeight = 0, screenDepth = 0;
  GetRequestedScreenMode(&screenWidth, &screenHeight, &screenDepth);
  if (depth == screenDepth && width == screenWidth && height == screenHeight) return;
  if (depth == 24 || (depth != screenDepth && depth == 8) || screenWidth > width || screenHeight > height) {
    LogText("復元関数が登録されていないためか画面が２４ビットカラーに変更されたため終了します\n");
    LogText("またはスクリーンが小さすぎるためか色ビット数の違いが大きいためか終了します\n");
    if (!EngineState.CloseRequested) {
      EngineState.CloseRequested = 1;
      PostMessageA(EngineState.MainWindow, WM_CLOSE, 0, 0);
    }
  }
  // Otherwise the movie surfaces would be rebuilt for the new format; no movie is open.
}
