// Switching between windowed and full-screen display, and the window style of each mode.
#include "../core/last_error.h"
#include "../core/engine_state.h"
#include "../core/log.h"
#include "../core/time_counters.h"
#include "../graphics/graphics_state.h"
#include "platform/kernel32.h"
#include "vornek.h"
#include "window.h"
#include "window_styles.h"
#include "../core/engine_thread.h"

namespace {

// The platform announces a display mode that really changed before ChangeDisplaySettingsA
// returns, so the desktop's WM_DISPLAYCHANGE is in the queue by the time the graphics have
// restarted. A switch that leaves the display as it is (full-screen at the desktop's own size,
// or back from it) brings none, and the wait gives up after 500 ms: long enough for any message
// the switch queued, short enough to pass for part of the switch.
constexpr int DisplayChangeWaitLimit = 500;

// Milliseconds since a GetMilliCount reading; the count has 31 bits and wraps.
int MillisecondsSince(int started) { return (GetMilliCount() - started) & 0x7FFFFFFF; }

void WaitForDisplayChange() {
  const int started = GetMilliCount();
  while (!EngineState.DisplayChangeSeen && MillisecondsSince(started) < DisplayChangeWaitLimit) {
    if (PumpWindowMessages() == -1) return;
    if (!EngineState.DisplayChangeSeen) Sleep(1);
  }
}

void ApplyWindowedStyle(HWND window, int screenWidth, int screenHeight) {
  FitWindowToDesktop();
  LogText("ウインドウスタイルをウインドウモード用に変更します... ");
  const DWORD style = WindowedStyle | (EngineState.WindowStyled ? WS_VISIBLE : 0);
  SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(WindowedExStyle));
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style));

  const double scale = EffectiveWindowScale();
  RECT rect{0, 0, static_cast<int>(screenWidth * scale), static_cast<int>(screenHeight * scale)};
  AdjustWindowRectEx(&rect, style, FALSE, WindowedExStyle);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const int x = rect.left + (EngineState.DesktopWidth - width) / 2;
  const int y = rect.top + (EngineState.DesktopHeight - height) / 2;
  SetWindowPos(window, nullptr, x, y, width, height, 0);

  RECT client{};
  GetClientRect(window, &client);
  POINT topLeft{client.left, client.top}, bottomRight{client.right, client.bottom};
  ClientToScreen(window, &topLeft);
  ClientToScreen(window, &bottomRight);
  const RECT placed{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  EngineState.ClientRectOnScreen = placed;
  // A client area larger than the desktop would start above or left of it, out of reach:
  // its corner goes to the desktop's.
  if (placed.left < 0 || placed.top < 0) {
    const int dx = -placed.left, dy = -placed.top;
    SetWindowPos(window, nullptr, x + dx, y + dy, width, height, 0);
    EngineState.ClientRectOnScreen = RECT{placed.left + dx, placed.top + dy, placed.right + dx, placed.bottom + dy};
  }
  ApplyCursorVisibility(1);
  LogText("完了\n");
}

void ApplyFullScreenStyle(HWND window, int screenWidth, int screenHeight) {
  LogText("ウインドウスタイルをフルスクリーンモード用に変更します... ");
  SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(FullScreenExStyle));
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(FullScreenStyle));
  EngineState.ClientRectOnScreen = RECT{0, 0, screenWidth, screenHeight};
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  SetWindowPos(window, HWND_TOPMOST, 0, 0, screenWidth, screenHeight, SWP_NOREDRAW);
  ApplyCursorVisibility(0);
  LogText("完了\n");
}

}  // namespace

void ApplyWindowStyle() {
  HWND window = EngineState.MainWindow;
  if (window == nullptr) return;
  int width = 0, height = 0, bits = 0;
  GetRequestedScreenMode(&width, &height, &bits);
  if (EngineState.Windowed) {
    ApplyWindowedStyle(window, width, height);
  } else {
    ApplyFullScreenStyle(window, width, height);
  }
  SetActiveWindow(window);
  PostMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), 0);
}

int ChangeWindowMode(int flag) {
  if (CalledOffEngineThread(__func__)) return -1;
  LogText("ChangeWindowMode実行 \n");
  // Any non-zero flag asks for windowed mode.
  const int windowed = flag != 0 ? 1 : 0;
  if (windowed == EngineState.Windowed) return 0;
  EngineState.WindowStyled = 1;
  EngineState.DisplayChangeSeen = 0;
  EngineState.Windowed = windowed;
  LogText(windowed ? "ウインドウモードフラグが立てられました\n" : "ウインドウモードフラグが倒されました\n");
  if (EngineState.MainWindow == nullptr) return 0;

  // The window keeps the new style whatever the graphics restart gives.
  EngineState.ModeSwitching = 1;
  ApplyWindowStyle();
  const int result = ChangeScreenMode(-1, -1, -1, 1, -1);
  WaitForDisplayChange();
  EngineState.ModeSwitching = 0;
  if (result == -1) SetLastErrorText("ChangeWindowMode: the screen could not be set up in the new mode");
  if (result == -2) SetLastErrorText("ChangeWindowMode: the new mode failed; the screen fell back to 640 x 480 x 16");
  return result;
}
