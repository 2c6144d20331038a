// StartWindow and EndWindow: the window half of the engine's start-up and shut-down.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "../core/last_error.h"
#include "../core/engine_state.h"
#include "../core/log.h"
#include "../core/time_counters.h"
#include "../graphics/graphics_state.h"
#include "../random/random.h"
#include "char_buffer.h"
#include "platform/gdi32.h"
#include "platform/imm32.h"
#include "platform/kernel32.h"
#include "window.h"
#include "window_styles.h"

namespace {

// Pixels per inch from which a desktop counts as high-density: one and a half times the
// usual 96.
constexpr int HighDensityDpi = 144;

// Everything the window owns starts from zero at each start; the settings made before
// start-up and the state of the start-up steps that ran before this one stay.
void ResetWindowState() {
  EngineStateRecord& s = EngineState;
  s.MainWindow = nullptr;
  s.WindowThreadId = 0;
  s.AppActive = 0;
  s.CloseRequested = 0;
  s.QuitRequested = 0;
  s.EndRequested = 0;
  s.Instance = nullptr;
  s.DesktopWidth = s.DesktopHeight = s.DesktopDepth = 0;
  s.TotalMemory = s.AvailableMemory = 0;
  s.ClientRectOnScreen = RECT{};
  s.Creating = 0;
  s.CodePageKind = 0;
  s.CursorRequested = 0;
  s.CursorShown = 0;
  s.Destroyed = 0;
  s.Painting = 0;
  s.DisplayChangeSeen = 0;
  s.ModeSwitching = 0;
  s.PumpGuard = 0;
  s.WindowStyled = 0;
  s.WindowFitScale = 0;
  s.ModeToggleRequested = 0;
  s.InactiveSince = -1;
}

void MeasureMemory() {
  MEMORYSTATUS status{};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  const double total = static_cast<double>(status.dwTotalPhys) / 1048576.0;
  const double available = static_cast<double>(status.dwAvailPhys) / 1048576.0;
  // The log line goes to the debugger output as well; the bare figure once sent there after it
  // said nothing more and reached the terminal as a stray line.
  LogFormat("メモリ総量:%.2fMB  空きメモリ領域:%.2fMB ", total, available);
  EngineState.TotalMemory = status.dwTotalPhys;
  EngineState.AvailableMemory = status.dwAvailPhys;
}

void MeasureDesktop() {
  EngineState.DesktopWidth = GetSystemMetrics(SM_CXSCREEN);
  EngineState.DesktopHeight = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  if (screen != nullptr) {
    EngineState.DesktopDepth = GetDeviceCaps(screen, PLANES) * GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
  }
}

// A scale never set is 1, or on a high-density desktop the largest whole scale at which the
// client area takes at most three quarters of the desktop's width and height.
void ChooseDefaultWindowScale(int screenWidth, int screenHeight) {
  if (EngineState.WindowScale > 0.0) return;
  EngineState.WindowScale = 1.0;
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  if (dpi < HighDensityDpi || screenWidth <= 0 || screenHeight <= 0) return;
  const int scale =
      std::min(EngineState.DesktopWidth * 3 / 4 / screenWidth, EngineState.DesktopHeight * 3 / 4 / screenHeight);
  if (scale < 2) return;
  EngineState.WindowScale = scale;
  LogFormat("高密度の画面のため、ウインドウを %d 倍の大きさで表示します\n", scale);
}

// Whether this start switched the screen saver off, so that every end, even after a failed
// start, gives it back.
bool screenSaverSwitchedOff = false;

int Fail(const char* message) {
  EngineState.QuitRequested = 1;
  LogText(message);
  return -1;
}

bool RegisterWindowClass() {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = EngineState.Instance;
  windowClass.hIcon = LoadIconA(EngineState.Instance, MAKEINTRESOURCEA(32512));
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(IDC_ARROW_ID));
  windowClass.hbrBackground = GetStockObject(NULL_BRUSH);
  windowClass.lpszClassName = EngineState.WindowClassName;
  return RegisterClassExA(&windowClass) != 0;
}

HWND CreateMainWindow(int screenWidth, int screenHeight) {
  if (EngineState.Windowed) {
    LogText("ウインドウモード起動用のウインドウを作成します\n");
    EngineState.CursorRequested = 1;
    const double scale = EffectiveWindowScale();
    const int width = static_cast<int>(screenWidth * scale);
    const int height = static_cast<int>(screenHeight * scale);
    RECT rect{0, 0, width, height};
    AdjustWindowRectEx(&rect, WindowedStyle, FALSE, WindowedExStyle);
    const int outerWidth = rect.right - rect.left;
    const int outerHeight = rect.bottom - rect.top;
    const int x = rect.left + (EngineState.DesktopWidth - outerWidth) / 2;
    const int y = rect.top + (EngineState.DesktopHeight - outerHeight) / 2;
    return CreateWindowExA(WindowedExStyle, EngineState.WindowClassName, EngineState.WindowTitle, WindowedStyle, x, y,
                           outerWidth, outerHeight, nullptr, nullptr, EngineState.Instance, nullptr);
  }
  LogText("フルスクリーンモード用のウインドウを作成します\n");
  EngineState.CursorRequested = 0;
  return CreateWindowExA(FullScreenExStyle, EngineState.WindowClassName, EngineState.WindowTitle, FullScreenStyle, 0, 0,
                         screenWidth, screenHeight, nullptr, nullptr, EngineState.Instance, nullptr);
}

void RestoreScreenSaver() {
  if (!screenSaverSwitchedOff) return;
  SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, SPIF_SENDWININICHANGE);
  screenSaverSwitchedOff = false;
}

}  // namespace

double EffectiveWindowScale() {
  if (EngineState.WindowScale <= 0.0) EngineState.WindowScale = 1.0;
  if (!EngineState.Windowed) return 1.0;
  const double fit = EngineState.WindowFitScale;
  return fit > 0.0 && fit < EngineState.WindowScale ? fit : EngineState.WindowScale;
}

int StartWindow() {
  ResetWindowState();

  if (EngineState.WindowClassName[0] == '\0') {
    const char* name = EngineState.WindowTitle[0] != '\0' ? EngineState.WindowTitle : "D123987X";
    std::snprintf(EngineState.WindowClassName, sizeof EngineState.WindowClassName, "%s", name);
  }

  EngineState.Instance = GetModuleHandleA(nullptr);
  EngineState.WindowThreadId = GetCurrentThreadId();

  MeasureMemory();
  MeasureDesktop();
  int screenWidth = 0, screenHeight = 0, screenDepth = 0;
  GetRequestedScreenMode(&screenWidth, &screenHeight, &screenDepth);
  ChooseDefaultWindowScale(screenWidth, screenHeight);
  FitWindowToDesktop();

  SelectTimer(&PumpWindowMessages);
  SeedRandom(static_cast<std::uint32_t>(GetMilliCount()));

  SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, SPIF_SENDWININICHANGE);
  screenSaverSwitchedOff = true;

  LogText("ソフトの二重起動検査... ");
  if (FindWindowA(EngineState.WindowClassName, nullptr) != nullptr) {
    SetLastErrorText("InitEngine: another copy of the program is already running on this display");
    return Fail("二重起動されています、ソフトを終了します\n");
  }
  LogText("二重起動はされていませんでした\n");

  EngineState.Creating = 1;
  LogText("ウインドウクラスを登録します... ");
  if (!RegisterWindowClass()) {
    SetLastErrorText("InitEngine: the window class could not be registered");
    return Fail("ウインドウクラスの登録に失敗しました\n");
  }
  LogText("登録に成功しました\n");

  if (EngineState.WindowTitle[0] == '\0') std::strcpy(EngineState.WindowTitle, "Vornek");

  EngineState.MainWindow = CreateMainWindow(screenWidth, screenHeight);
  if (EngineState.MainWindow == nullptr) {
    UnregisterClassA(EngineState.WindowClassName, EngineState.Instance);
    SetLastErrorText("InitEngine: the window could not be made (is there a display?)");
    return Fail("ウインドウの作成に失敗しました\n");
  }
  LogText("ウインドウの作成に成功しました\n");
  ShowWindow(EngineState.MainWindow, SW_SHOW);
  UpdateWindow(EngineState.MainWindow);

  EngineState.CloseRequested = 0;
  EngineState.Destroyed = 0;
  EngineState.AppActive = 1;

  if (!EngineState.Windowed) {
    LogText("カーソルを不可視にしました\n");
    ShowCursor(FALSE);
  }

  LogText("ＩＭＥを無効にしました\n");
  WINNLSEnableIME(EngineState.MainWindow, FALSE);

  if (EngineState.Windowed) {
    RECT client{};
    GetClientRect(EngineState.MainWindow, &client);
    POINT topLeft{client.left, client.top}, bottomRight{client.right, client.bottom};
    ClientToScreen(EngineState.MainWindow, &topLeft);
    ClientToScreen(EngineState.MainWindow, &bottomRight);
    EngineState.ClientRectOnScreen = RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  }

  EngineState.CodePageKind = GetOEMCP() == 949 ? 2 : 1;

  ApplyCursorVisibility(EngineState.CursorRequested);
  EngineState.EndRequested = 0;

  BringWindowToTop(EngineState.MainWindow);
  // The millisecond count has 31 bits and wraps (every 24.8 days of the system's uptime).
  const int started = GetMilliCount();
  do {
    PumpWindowMessages();
  } while (((GetMilliCount() - started) & 0x7FFFFFFF) < 200 && !EngineState.QuitRequested);

  RefreshWindowLayout();
  EngineState.Creating = 0;
  return 0;
}

int EndWindow() {
  if (EngineState.MainWindow == nullptr) {
    RestoreScreenSaver();
    EndCharBuffer();
    EndTimerPeriod();
    return 0;
  }
  RestoreScreenSaver();
  WINNLSEnableIME(EngineState.MainWindow, TRUE);
  ApplyCursorVisibility(1);

  if (EngineState.CloseRequested == 0) {
    EngineState.CloseRequested = 1;
    PostMessageA(EngineState.MainWindow, WM_CLOSE, 0, 0);
  }
  while (PumpWindowMessages() != -1) {
  }
  UnregisterClassA(EngineState.WindowClassName, EngineState.Instance);

  EndCharBuffer();
  EndTimerPeriod();
  EngineState.MainWindow = nullptr;
  return 0;
}
