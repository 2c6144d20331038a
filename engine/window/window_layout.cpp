// The window's size, the cursor's visibility, and bringing the window forward.
#include "../core/engine_state.h"
#include "../core/last_error.h"
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

int ApplyCursorVisibility(int request) {
  if (EngineState.MainWindow == nullptr) {
    SetLastErrorText("ApplyCursorVisibility: there is no window before InitEngine");
    return -1;
  }
  EngineState.CursorRequested = request;
  const int show = request == 1 ? 1 : 0;
  if (show == EngineState.CursorShown) return 0;
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
  return 0;
}

int GetDesktopSize(int* width, int* height) {
  if (width != nullptr) *width = GetSystemMetrics(SM_CXSCREEN);
  if (height != nullptr) *height = GetSystemMetrics(SM_CYSCREEN);
  return 0;
}

// The foreground-lock time-out and the attaching of another thread's input that a desktop
// would need here do not exist on this window system: the program's own window may always take
// the front.
void BringWindowToFront() {
  HWND window = EngineState.MainWindow;
  if (window == nullptr) return;
  SetForegroundWindow(window);
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW);
}
