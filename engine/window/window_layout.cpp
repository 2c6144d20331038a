// The window's size, the cursor's visibility, and bringing the window forward.
#include <algorithm>
#include <cmath>

#include "../core/engine_state.h"
#include "../core/last_error.h"
#include "../core/log.h"
#include "../graphics/graphics_state.h"
#include "vornek.h"
#include "window.h"
#include "window_styles.h"
#include "../core/engine_thread.h"

namespace {

// The largest scale a running engine or a program may ask for.
constexpr double MaxWindowScale = 16.0;

}  // namespace

void FitWindowToDesktop() {
  int screenWidth = 0, screenHeight = 0, screenDepth = 0;
  GetRequestedScreenMode(&screenWidth, &screenHeight, &screenDepth);
  const double asked = EngineState.WindowScale > 0.0 ? EngineState.WindowScale : 1.0;
  const int desktopWidth = EngineState.DesktopWidth, desktopHeight = EngineState.DesktopHeight;
  double fit = 0.0;
  // A client area that fits on the desktop is left alone, even when its frame does not (its
  // corner then goes to the desktop's); one larger than the desktop would be partly out of
  // reach, and is shrunk until the whole framed window fits.
  if (EngineState.Windowed && screenWidth > 0 && screenHeight > 0 && desktopWidth > 0 && desktopHeight > 0 &&
      (static_cast<int>(screenWidth * asked) > desktopWidth ||
       static_cast<int>(screenHeight * asked) > desktopHeight)) {
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, WindowedStyle, FALSE, WindowedExStyle);
    const int roomWidth = desktopWidth - (frame.right - frame.left);
    const int roomHeight = desktopHeight - (frame.bottom - frame.top);
    if (roomWidth > 0 && roomHeight > 0) {
      fit = std::min(static_cast<double>(roomWidth) / screenWidth, static_cast<double>(roomHeight) / screenHeight);
    }
  }
  if (fit > 0.0 && fit != EngineState.WindowFitScale) {
    LogFormat("画面がウインドウより小さいため、ウインドウを %.3f 倍に縮めて表示します\n", fit);
  }
  EngineState.WindowFitScale = fit;
}

int SetWindowScale(double scale) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (!(scale > 0.0) || scale > MaxWindowScale) {
    return FailWithText("SetWindowScale: the scale %g must be above 0 and at most %g", scale, MaxWindowScale);
  }
  EngineState.WindowScale = scale;
  if (EngineState.MainWindow == nullptr || !EngineState.Initialised) return 0;
  if (EngineState.Windowed) RefreshWindowLayout();
  return 0;
}

double GetWindowScale() {
  if (CalledOffEngineThread(__func__)) return -1.0;
  if (EngineState.MainWindow == nullptr) return EngineState.WindowScale > 0.0 ? EngineState.WindowScale : 1.0;
  return EffectiveWindowScale();
}

int RefreshWindowLayout() {
  HWND window = EngineState.MainWindow;
  FitWindowToDesktop();
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
  if (CalledOffEngineThread(__func__)) return -1;
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
  if (CalledOffEngineThread(__func__)) return -1;
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
