// Full-screen on the real platform under X: display modes become SDL full-screen windows and
// the desktop gets its own mode back. Xvfb offers one mode, its screen's own size, so every
// mode change here keeps the display's size and only the window's state tells what happened.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/engine_state.h"
#include "core/tracked_memory.h"
#include "graphics/graphics_state.h"
#include "platform/gdi32.h"
#include "platform/user32.h"
#include "sdl_video.h"
#include "test_support.h"
#include "vornek.h"

namespace {

bool FullScreen(HWND window) {
  SDL_Window* native = NativeWindowOf(window);
  return native != nullptr && (SDL_GetWindowFlags(native) & SDL_WINDOW_FULLSCREEN) != 0;
}

SDL_Rect NativeRect(HWND window) {
  SDL_Rect r{};
  SDL_Window* native = NativeWindowOf(window);
  if (native == nullptr) return r;
  SDL_GetWindowPosition(native, &r.x, &r.y);
  SDL_GetWindowSize(native, &r.w, &r.h);
  return r;
}

DEVMODEA ModeOf(int width, int height) {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = static_cast<DWORD>(width);
  mode.dmPelsHeight = static_cast<DWORD>(height);
  mode.dmBitsPerPel = 32;
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  return mode;
}

void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

std::vector<UINT> received;

LRESULT Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE || message == WM_MOVE || message == WM_DISPLAYCHANGE) received.push_back(message);
  return DefWindowProcA(window, message, wParam, lParam);
}

// Windows of this platform, one class per process so that parallel runs never see each other.
class RealFullScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
    ASSERT_TRUE(StartSdlVideo());
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop_), 0);
    className_ = "VornekFullScreenTest" + std::to_string(getpid());
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = Record;
    windowClass.lpszClassName = className_.c_str();
    ASSERT_NE(RegisterClassExA(&windowClass), 0);
    received.clear();
  }

  void TearDown() override {
    ChangeDisplaySettingsA(nullptr, 0);
    if (window_ != nullptr) DestroyWindow(window_);
    UnregisterClassA(className_.c_str(), nullptr);
  }

  HWND Create(DWORD style, int x, int y, int width, int height) {
    window_ = CreateWindowExA(0, className_.c_str(), "full-screen", style | WS_VISIBLE, x, y, width, height, nullptr,
                              nullptr, nullptr, nullptr);
    Pump();
    return window_;
  }

  // The pop-up the engine makes for full-screen: at the origin, the size of the mode.
  HWND CreateDesktopPopup() { return Create(WS_POPUP, 0, 0, desktop_.w, desktop_.h); }

  DEVMODEA DesktopMode() const { return ModeOf(desktop_.w, desktop_.h); }

  SDL_DisplayMode desktop_{};
  std::string className_;
  HWND window_ = nullptr;
};

TEST_F(RealFullScreen, OfferedModeMakesThePopupFullScreenUntilTheDesktopIsAskedBack) {
  HWND window = CreateDesktopPopup();
  ASSERT_NE(window, nullptr);
  ASSERT_FALSE(FullScreen(window));
  received.clear();

  DEVMODEA mode = DesktopMode();
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  Pump();
  EXPECT_TRUE(FullScreen(window));
  const SDL_Rect full = NativeRect(window);
  EXPECT_EQ(full.x, 0);
  EXPECT_EQ(full.y, 0);
  EXPECT_EQ(full.w, desktop_.w);
  EXPECT_EQ(full.h, desktop_.h);
  RECT client{};
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.right, desktop_.w);
  EXPECT_EQ(client.bottom, desktop_.h);

  // A screen-sized picture reaches the far corner of the full-screen window's pixels.
  std::vector<std::uint32_t> picture(static_cast<std::size_t>(desktop_.w) * static_cast<std::size_t>(desktop_.h),
                                     0x00336699);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = desktop_.w;
  info.bmiHeader.biHeight = -desktop_.h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_BITFIELDS;
  info.bmiColors[0] = 0xFF0000;
  info.bmiColors[1] = 0xFF00;
  info.bmiColors[2] = 0xFF;
  HDC context = GetDC(window);
  ASSERT_EQ(SetDIBitsToDevice(context, 0, 0, static_cast<DWORD>(desktop_.w), static_cast<DWORD>(desktop_.h), 0, 0, 0,
                              static_cast<UINT>(desktop_.h), picture.data(), &info, DIB_RGB_COLORS),
            desktop_.h);
  ReleaseDC(window, context);
  SDL_Surface* surface = SDL_GetWindowSurface(NativeWindowOf(window));
  ASSERT_NE(surface, nullptr);
  ASSERT_EQ(surface->w, desktop_.w);
  ASSERT_EQ(surface->h, desktop_.h);
  Uint8 r = 0, g = 0, b = 0;
  const auto* corner = static_cast<const Uint8*>(surface->pixels) + (surface->h - 1) * surface->pitch +
                       (surface->w - 1) * surface->format->BytesPerPixel;
  Uint32 pixel = 0;
  std::memcpy(&pixel, corner, surface->format->BytesPerPixel);
  SDL_GetRGB(pixel, surface->format, &r, &g, &b);
  EXPECT_EQ((r << 16) | (g << 8) | b, 0x336699);

  ASSERT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
  Pump();
  EXPECT_FALSE(FullScreen(window));
  const SDL_Rect back = NativeRect(window);
  EXPECT_EQ(back.w, desktop_.w);
  EXPECT_EQ(back.h, desktop_.h);
  EXPECT_TRUE(received.empty()) << "the window kept its rectangle and the display its mode";
}

// Sizes the display lacks: served by scaling onto the desktop's own mode by default, refused
// (leaving the window as the last mode change left it) where real mode changes are asked for.
// A size no display has is refused either way.
TEST_F(RealFullScreen, ModesTheDisplayLacksAreScaledOrRefusedWhenRealChangesAreAsked) {
  struct Case {
    int width, height;
  };
  const Case lacking[] = {{desktop_.w, desktop_.h + 1}, {desktop_.w - 1, desktop_.h}, {320, 200}, {800, 600}};
  HWND window = CreateDesktopPopup();
  ASSERT_NE(window, nullptr);
  for (const bool realChanges : {false, true}) {
    if (realChanges) setenv("VORNEK_CHANGE_DISPLAY_MODE", "1", 1);
    for (const bool startFullScreen : {false, true}) {
      DEVMODEA desktopMode = DesktopMode();
      ASSERT_EQ(ChangeDisplaySettingsA(startFullScreen ? &desktopMode : nullptr, 0), DISP_CHANGE_SUCCESSFUL);
      Pump();
      ASSERT_EQ(FullScreen(window), startFullScreen);
      for (const Case& c : lacking) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << (startFullScreen ? " from full-screen" : "")
                                        << (realChanges ? " with real mode changes" : ""));
        DEVMODEA mode = ModeOf(c.width, c.height);
        EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN),
                  realChanges ? DISP_CHANGE_BADMODE : DISP_CHANGE_SUCCESSFUL);
        Pump();
        EXPECT_EQ(FullScreen(window), startFullScreen || !realChanges);
        // The display keeps its mode: the window covers it at the desktop's size.
        const SDL_Rect rect = NativeRect(window);
        EXPECT_EQ(rect.w, desktop_.w);
        EXPECT_EQ(rect.h, desktop_.h);
        SDL_DisplayMode current{};
        ASSERT_EQ(SDL_GetCurrentDisplayMode(0, &current), 0);
        EXPECT_EQ(current.w, desktop_.w);
        EXPECT_EQ(current.h, desktop_.h);
      }
      for (const Case& c : {Case{0, 600}, Case{800, 0}, Case{20000, 600}}) {
        DEVMODEA mode = ModeOf(c.width, c.height);
        EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_BADMODE) << c.width << " x " << c.height;
      }
    }
    unsetenv("VORNEK_CHANGE_DISPLAY_MODE");
  }
  ASSERT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
  EXPECT_FALSE(FullScreen(window));
}

// While modes are scaled the usual sizes that fit on the desktop are offered, after the
// display's own; with real mode changes only the display's own are.
TEST_F(RealFullScreen, ScaledModesAreListedBesideTheDisplaysOwn) {
  const auto listed = [](int width, int height) {
    DEVMODEA mode{};
    for (DWORD i = 0; EnumDisplaySettingsA(nullptr, i, &mode); ++i) {
      if (static_cast<int>(mode.dmPelsWidth) == width && static_cast<int>(mode.dmPelsHeight) == height) return true;
    }
    return false;
  };
  EXPECT_TRUE(listed(desktop_.w, desktop_.h));
  EXPECT_TRUE(listed(800, 600));
  EXPECT_TRUE(listed(640, 480));
  EXPECT_FALSE(listed(desktop_.w + 1, desktop_.h)) << "nothing larger than the desktop";
  setenv("VORNEK_CHANGE_DISPLAY_MODE", "1", 1);
  EXPECT_TRUE(listed(desktop_.w, desktop_.h));
  bool displayHas800x600 = false;
  for (int i = 0; i < SDL_GetNumDisplayModes(0); ++i) {
    SDL_DisplayMode m{};
    if (SDL_GetDisplayMode(0, i, &m) == 0 && m.w == 800 && m.h == 600) displayHas800x600 = true;
  }
  EXPECT_EQ(listed(800, 600), displayHas800x600);
  unsetenv("VORNEK_CHANGE_DISPLAY_MODE");
}

// The mode may be asked for before the window exists or while it still has its frame; it
// takes the window once that is a pop-up, and a framed window goes back to its rectangle.
TEST_F(RealFullScreen, ModeAskedForEarlierWaitsForThePopup) {
  DEVMODEA mode = DesktopMode();
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  ASSERT_NE(CreateDesktopPopup(), nullptr);
  EXPECT_TRUE(FullScreen(window_)) << "a pop-up is full-screen from its creation";
  DestroyWindow(window_);

  constexpr DWORD framed = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  HWND window = Create(framed, 100, 80, 640, 480);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(FullScreen(window)) << "a framed window is no full-screen window";

  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_VISIBLE));
  SetWindowPos(window, nullptr, 0, 0, desktop_.w, desktop_.h, SWP_FRAMECHANGED);
  Pump();
  EXPECT_TRUE(FullScreen(window));

  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(framed | WS_VISIBLE));
  SetWindowPos(window, nullptr, 100, 80, 640, 480, SWP_FRAMECHANGED);
  Pump();
  EXPECT_FALSE(FullScreen(window));
  RECT client{};
  GetClientRect(window, &client);
  const SDL_Rect rect = NativeRect(window);
  EXPECT_EQ(rect.w, client.right);
  EXPECT_EQ(rect.h, client.bottom);
}

// Lets the X server's answers to a full-screen switch (without a window manager SDL maps the
// window anew, and the focus leaves it and comes back) arrive.
void Settle() {
  for (int i = 0; i < 15; ++i) {
    SDL_Delay(20);
    PumpMessages();
  }
}

// Gives the focus to a window and looks at the engine's messages until the engine is active or
// inactive as wanted, for at most two seconds. The engine's own pump would pause for as long
// as it is inactive.
bool FocusAndWait(SDL_Window* focused, int wantedActive) {
  if (SDL_SetWindowInputFocus(focused) != 0) return false;
  for (int i = 0; i < 100 && EngineState.AppActive != wantedActive; ++i) {
    SDL_Delay(20);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  return EngineState.AppActive == wantedActive;
}

std::uint32_t BottomRightPixel(HWND window) {
  SDL_Surface* surface = SDL_GetWindowSurface(NativeWindowOf(window));
  if (surface == nullptr || surface->format->BytesPerPixel != 4) return 0;
  const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const Uint8*>(surface->pixels) +
                                                           (surface->h - 1) * surface->pitch);
  return row[surface->w - 1] & 0xFFFFFF;
}

std::uint32_t ClearAndPresent(HWND window, int red, int green, int blue) {
  SetClearColor(red, green, blue);
  ClearScreen();
  PresentScreen();
  return BottomRightPixel(window);
}

// The engine started full-screen at the desktop's size: it draws over the whole display, gives
// the display back while another window has the focus, takes it again when the focus returns
// (no window manager here restores the window it minimised), and ends with the desktop's own
// mode and no full-screen window.
TEST(RealFullScreenEngine, StartsFullScreenSurvivesDeactivationAndEndsWithTheDesktop) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  ASSERT_TRUE(StartSdlVideo());
  SDL_DisplayMode desktop{};
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  test_support::TempDirectory directory;
  const std::string title = "Vornek full-screen " + std::to_string(getpid());
  SetWindowTitle(title.c_str());
  SetLogOutputFlag(FALSE);
  // Full-screen is the default, but a window mode chosen before an earlier InitEngine is kept.
  ChangeWindowMode(FALSE);
  SetScreenMode(desktop.w, desktop.h, 32, 0);
  // The window surface's pixels are looked at: the software back-end draws them.
  GraphicsState.softwareOnly = 1;
  ASSERT_EQ(InitEngine(), 0);
  ASSERT_EQ(EngineState.Windowed, 0) << "the desktop's size is a mode the display offers";
  HWND window = EngineState.MainWindow;
  EXPECT_TRUE(FullScreen(window));
  SetVSyncWait(FALSE);
  // Off the front screen no timer presents, which would wait for the engine's return.
  ASSERT_EQ(SelectDrawTarget(ScreenBack), 0);
  Settle();
  EXPECT_EQ(EngineState.AppActive, 1) << "the focus the switch took away came back";
  EXPECT_TRUE(FullScreen(window));
  EXPECT_EQ(ClearAndPresent(window, 0x33, 0x66, 0x99), 0x336699u);

  SDL_Window* other = SDL_CreateWindow("other", 0, 0, 64, 64, SDL_WINDOW_BORDERLESS);
  ASSERT_NE(other, nullptr) << SDL_GetError();
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    SDL_Delay(100);  // the other window is mapped before it can take the focus
    ASSERT_TRUE(FocusAndWait(other, 0)) << "another window took the focus";
    EXPECT_FALSE(FullScreen(window)) << "the desktop is given back while the engine is in the background";
    ASSERT_TRUE(FocusAndWait(NativeWindowOf(window), 1)) << "the focus came back";
    EXPECT_TRUE(FullScreen(window));
    Settle();
    EXPECT_EQ(EngineState.AppActive, 1);
    EXPECT_TRUE(FullScreen(window));
    EXPECT_EQ(ClearAndPresent(window, 0x99, 0x66, 0x33), 0x996633u);
  }
  SDL_DestroyWindow(other);

  EndEngine();
  GraphicsState.softwareOnly = 0;
  EXPECT_EQ(LiveBlockCount(), 0) << "engine blocks left after EndEngine";
  SDL_DisplayMode current{};
  ASSERT_EQ(SDL_GetCurrentDisplayMode(0, &current), 0);
  EXPECT_EQ(current.w, desktop.w);
  EXPECT_EQ(current.h, desktop.h);

  // No mode is left asked for: a new pop-up stays an ordinary window.
  const std::string className = title + " after";
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = className.c_str();
  ASSERT_NE(RegisterClassExA(&windowClass), 0);
  HWND popup = CreateWindowExA(0, className.c_str(), "after", WS_POPUP | WS_VISIBLE, 0, 0, desktop.w, desktop.h,
                               nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(popup, nullptr);
  EXPECT_FALSE(FullScreen(popup));
  DestroyWindow(popup);
  UnregisterClassA(className.c_str(), nullptr);
}

}  // namespace

namespace {

// A running engine switched windowed -> full-screen -> windowed at the desktop's size (the only
// mode Xvfb offers): each mode shows what is drawn, the window is full-screen exactly while
// the engine is, and the end leaves the desktop in its own mode with no mode asked for.
TEST(RealFullScreenEngine, SwitchesWindowedFullScreenAndBackWhileDrawing) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  ASSERT_TRUE(StartSdlVideo());
  SDL_DisplayMode desktop{};
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  test_support::TempDirectory directory;
  const std::string title = "Vornek mode switch " + std::to_string(getpid());
  SetWindowTitle(title.c_str());
  SetLogOutputFlag(FALSE);
  ChangeWindowMode(TRUE);
  SetScreenMode(desktop.w, desktop.h, 32, 0);
  // The window surface's pixels are looked at: the software back-end draws them.
  GraphicsState.softwareOnly = 1;
  ASSERT_EQ(InitEngine(), 0);
  HWND window = EngineState.MainWindow;
  SetVSyncWait(FALSE);
  Settle();
  EXPECT_FALSE(FullScreen(window));
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, desktop.w);
  EXPECT_EQ(EngineState.ClientRectOnScreen.left, 0) << "a desktop-sized client area starts at its corner";
  EXPECT_EQ(EngineState.ClientRectOnScreen.top, 0);
  EXPECT_EQ(ClearAndPresent(window, 0x11, 0x22, 0x33), 0x112233u);

  struct Step {
    int windowed;
    std::uint32_t color;
  };
  for (const Step& step : {Step{FALSE, 0x445566}, Step{TRUE, 0x778899}}) {
    SCOPED_TRACE(step.windowed ? "back to windowed" : "to full-screen");
    EXPECT_EQ(ChangeWindowMode(step.windowed), 0);
    EXPECT_EQ(EngineState.ModeSwitching, 0);
    Settle();
    ASSERT_EQ(EngineState.AppActive, 1) << "the focus the switch took away came back";
    EXPECT_EQ(FullScreen(window), step.windowed == FALSE);
    SetVSyncWait(FALSE);
    EXPECT_EQ(ClearAndPresent(window, static_cast<int>(step.color >> 16), static_cast<int>((step.color >> 8) & 0xFF),
                              static_cast<int>(step.color & 0xFF)),
              step.color);
  }

  EndEngine();
  GraphicsState.softwareOnly = 0;
  EXPECT_EQ(LiveBlockCount(), 0) << "engine blocks left after EndEngine";
  SDL_DisplayMode current{};
  ASSERT_EQ(SDL_GetCurrentDisplayMode(0, &current), 0);
  EXPECT_EQ(current.w, desktop.w);
  EXPECT_EQ(current.h, desktop.h);
  const std::string className = title + " after";
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = className.c_str();
  ASSERT_NE(RegisterClassExA(&windowClass), 0);
  HWND popup = CreateWindowExA(0, className.c_str(), "after", WS_POPUP | WS_VISIBLE, 0, 0, desktop.w, desktop.h,
                               nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(popup, nullptr);
  EXPECT_FALSE(FullScreen(popup)) << "no display mode is left asked for";
  DestroyWindow(popup);
  UnregisterClassA(className.c_str(), nullptr);
}

}  // namespace
