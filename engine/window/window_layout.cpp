// The window's size and style, the cursor's visibility, and bringing the window forward.
#include "../core/engine_state.h"
#include "../graphics/graphics_state.h"
#include "window.h"

int RefreshWindowLayout() {
  HWND window = EngineState.MainWindow;
  int screenWidth = 0, screenHeight = 0, screenDepth = 0;
  GetRequestedScreenMode(&screenWidth, &screenHeight, &screenDepth);
  const double scale = EffectiveWindowScale();
  const int targetWidth = static_cast<int>(screenWidth * scale);
  const int targetHeight = static_cast<int>(screenHeight * scale);

  RECT outer{}, client{};
  GetWindowRect(window, &outer);
  if (!GetClientRect(window, &client)) return 0;
  RECT& onScreen = EngineState.ClientRectOnScreen;
  onScreen.right = onScreen.left + (client.right - client.left);
  onScreen.bottom = onScreen.top + (client.bottom - client.top);

  const int width = (outer.right - outer.left) - (client.right - client.left) + targetWidth;
  const int height = (outer.bottom - outer.top) - (client.bottom - client.top) + targetHeight;
  MoveWindow(window, outer.left, outer.top, width, height, TRUE);

  if (EngineState.Windowed && !EngineState.WindowStyled) {
    EngineState.WindowStyled = 1;
    ApplyWindowStyle();
  }
  return 0;
}

void ApplyWindowStyle() {
  HWND window = EngineState.MainWindow;
  if (window == nullptr) return;
  constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  constexpr DWORD exStyle = WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE;
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style | WS_VISIBLE));
  SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(exStyle));

  RECT client{};
  GetClientRect(window, &client);
  RECT rect = client;
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const int x = rect.left + (EngineState.DesktopWidth - width) / 2;
  const int y = rect.top + (EngineState.DesktopHeight - height) / 2;
  SetWindowPos(window, nullptr, x, y, width, height, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
  SetForegroundWindow(window);
  ApplyCursorVisibility(1);
}

void ApplyCursorVisibility(int request) {
  EngineState.CursorRequested = request;
  const int show = request == 1 ? 1 : 0;
  if (show == EngineState.CursorShown) return;
  if (show) {
    while (ShowCursor(TRUE) < 0) {
    }
  } else {
    while (ShowCursor(FALSE) >= 0) {
    }
  }
  if (EngineState.MainWindow != nullptr) {
    PostMessageA(EngineState.MainWindow, WM_SETCURSOR, reinterpret_cast<WPARAM>(EngineState.MainWindow), 0);
  }
  EngineState.CursorShown = show;
}

void BringWindowToFront() {
  if (EngineState.MainWindow == nullptr) return;
  SetWindowPos(EngineState.MainWindow, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(EngineState.MainWindow);
}

// Switching a running engine's mode comes with the mode-switching work; until then the choice
// only takes effect at the next start.
int SwitchWindowMode(int windowed) {
  EngineState.Windowed = windowed;
  return 0;
}
