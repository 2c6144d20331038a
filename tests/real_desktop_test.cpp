// The game on a real X display as a player's desktop treats it: the window's picture never goes
// through OpenGL, the software back-end never loads it, a window remade for OpenGL carries on as
// the same window, and a window destroyed by another client ends the game in order.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "board.h"
#include "core/engine_state.h"
#include "core/tracked_memory.h"
#include "game.h"
#include "graphics/graphics_state.h"
#include "platform/user32.h"
#include "sdl_video.h"
#include "test_support.h"
#include "vornek.h"
#include "x_window.h"

namespace {

int closeRequests = 0;
std::vector<POINT> moves;  // client coordinates of WM_MOUSEMOVE
int deactivations = 0;

LRESULT Plain(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    ++closeRequests;
    return 0;  // counted, not obeyed: the window stays to be looked at
  }
  if (message == WM_ACTIVATEAPP && wParam == FALSE) ++deactivations;
  if (message == WM_MOUSEMOVE) {
    moves.push_back(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void PumpFor(Uint32 milliseconds) {
  const Uint32 start = SDL_GetTicks();
  MSG message;
  while (SDL_GetTicks() - start < milliseconds) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    SDL_Delay(5);
  }
}

// The board in its known start, then frames run as the game's loop runs them; false when the
// pump said the game ended.
bool PlayFrames(int frames) {
  ResetBoard();
  for (int frame = 0; frame < frames; ++frame) {
    RunFrame();
    if (PumpMessages() != 0) return false;
  }
  return true;
}

// The suite run as a whole with the software back-end forced.
bool SoftwareForced() {
  const char* value = std::getenv("VORNEK_SOFTWARE");
  return value != nullptr && std::string(value) == "1";
}

// The files of OpenGL mapped into this process: the dispatch libraries, a DRI driver, LLVM.
std::vector<std::string> OpenGlFilesMapped() {
  std::vector<std::string> found;
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    const std::size_t slash = line.rfind('/');
    if (slash == std::string::npos) continue;
    const std::string name = line.substr(slash + 1);
    const bool openGl =
        name.starts_with("libGL") || name.starts_with("libLLVM") || name.find("_dri.so") != std::string::npos;
    if (openGl && std::find(found.begin(), found.end(), name) == found.end()) found.push_back(name);
  }
  return found;
}

// A window of this platform, its class named for the process so parallel runs never meet.
class PlainWindow {
 public:
  // settled: on the screen from the start, as a window whose back-end is settled; otherwise
  // the first window stays unmapped until its back-end settles.
  explicit PlainWindow(int x = 0, int y = 0, bool settled = true)
      : className_("VornekDesktopTest" + std::to_string(getpid())) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = Plain;
    windowClass.lpszClassName = className_.c_str();
    RegisterClassExA(&windowClass);
    handle_ = CreateWindowExA(0, className_.c_str(), "desktop", WS_POPUP | WS_VISIBLE, x, y, 320, 240, nullptr, nullptr,
                              nullptr, nullptr);
    if (settled && handle_ != nullptr) BackEndSettled(handle_);
  }
  ~PlainWindow() {
    if (handle_ != nullptr) DestroyWindow(handle_);
    UnregisterClassA(className_.c_str(), nullptr);
  }
  PlainWindow(const PlainWindow&) = delete;
  PlainWindow& operator=(const PlainWindow&) = delete;

  HWND handle() const { return handle_; }

 private:
  std::string className_;
  HWND handle_ = nullptr;
};

// SDL would carry the window surface through an OpenGL texture (a renderer of its own on the
// window) unless told not to; asking for it in the environment changes nothing.
TEST(RealDesktop, TheWindowSurfaceNeverGoesThroughOpenGl) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  setenv("SDL_FRAMEBUFFER_ACCELERATION", "opengl", 1);
  ASSERT_TRUE(StartSdlVideo());
  PlainWindow window;
  ASSERT_NE(window.handle(), nullptr);
  SDL_Window* native = NativeWindowOf(window.handle());
  ASSERT_NE(native, nullptr);
  SDL_Surface* surface = SDL_GetWindowSurface(native);
  ASSERT_NE(surface, nullptr) << SDL_GetError();
  EXPECT_EQ(SDL_UpdateWindowSurface(native), 0) << SDL_GetError();
  EXPECT_EQ(SDL_GetRenderer(native), nullptr) << "the window surface is an OpenGL texture";
}

// SDL makes a window able to carry OpenGL by replacing its X window; the old one's end is no
// loss of the window, and nothing asks it to close.
TEST(RealDesktop, AWindowRemadeForOpenGlStaysOpen) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  ASSERT_TRUE(StartSdlVideo());
  PlainWindow window;
  ASSERT_NE(window.handle(), nullptr);
  SDL_Window* native = NativeWindowOf(window.handle());
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
  closeRequests = 0;
  SDL_Renderer* renderer = SDL_CreateRenderer(native, -1, 0);
  if (renderer == nullptr) GTEST_SKIP() << "no OpenGL renderer: " << SDL_GetError();
  const Uint32 start = SDL_GetTicks();
  MSG message;
  while (SDL_GetTicks() - start < 500) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    SDL_Delay(5);
  }
  SDL_DestroyRenderer(renderer);
  EXPECT_EQ(closeRequests, 0);
  EXPECT_TRUE(IsWindow(window.handle()));
}

// The software back-end is for machines where OpenGL is poor: with it, nothing of OpenGL is loaded
// (Mesa's software rasteriser alone is some 60 MB and a slower start). The hardware back-end on
// the same display still loads it and draws.
TEST(RealDesktop, TheSoftwareBackEndLoadsNoOpenGl) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  ASSERT_EQ(OpenGlFilesMapped(), std::vector<std::string>{}) << "loaded before the game started";
  test_support::TempDirectory directory;
  setenv("VORNEK_SOFTWARE", "1", 1);
  const int started = StartGame();
  unsetenv("VORNEK_SOFTWARE");
  ASSERT_EQ(started, 0);
  ASSERT_FALSE(UsingHardwarePath());
  ASSERT_TRUE(PlayFrames(10));
  EXPECT_EQ(OpenGlFilesMapped(), std::vector<std::string>{});
  EXPECT_FALSE(SDL_GetWindowFlags(NativeWindowOf(EngineState.MainWindow)) & SDL_WINDOW_OPENGL);
  EndEngine();
  GraphicsState.softwareOnly = 0;
  EXPECT_EQ(LiveBlockCount(), 0) << "engine blocks left after EndEngine";
}

TEST(RealDesktop, TheHardwareBackEndTakesOpenGlOnTheGameWindow) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  if (SoftwareForced()) GTEST_SKIP() << "VORNEK_SOFTWARE=1 keeps the engine off its hardware back-end";
  test_support::TempDirectory directory;
  ASSERT_EQ(StartGame(), 0);
  ASSERT_TRUE(UsingHardwarePath()) << "no OpenGL 3.3 on this display: the engine took its software back-end";
  ASSERT_TRUE(PlayFrames(10));
  SDL_Window* native = NativeWindowOf(EngineState.MainWindow);
  ASSERT_NE(native, nullptr);
  EXPECT_TRUE(SDL_GetWindowFlags(native) & SDL_WINDOW_OPENGL);
  EXPECT_TRUE(SDL_GetWindowFlags(native) & SDL_WINDOW_SHOWN);
  EXPECT_NE(OpenGlFilesMapped(), std::vector<std::string>{}) << "this check would not see OpenGL loaded";
  EndEngine();
  EXPECT_EQ(LiveBlockCount(), 0) << "engine blocks left after EndEngine";
}

// Where OpenGL cannot give the device (here Mesa told to offer only OpenGL 3.0), the engine takes
// its software back-end, and the window it draws on is a plain one again: nothing of OpenGL is
// left for the software back-end to carry.
TEST(RealDesktop, WhereOpenGlRefusesTheDeviceTheSoftwareBackEndDrawsOnAPlainWindow) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  if (SoftwareForced()) GTEST_SKIP() << "VORNEK_SOFTWARE=1 keeps the engine off its hardware back-end";
  test_support::TempDirectory directory;
  setenv("MESA_GL_VERSION_OVERRIDE", "3.0", 1);
  const int started = StartGame();
  unsetenv("MESA_GL_VERSION_OVERRIDE");
  ASSERT_EQ(started, 0);
  EXPECT_FALSE(UsingHardwarePath());
  const HWND handle = EngineState.MainWindow;
  ASSERT_TRUE(PlayFrames(10));
  EXPECT_EQ(EngineState.MainWindow, handle);
  SDL_Window* native = NativeWindowOf(handle);
  ASSERT_NE(native, nullptr);
  EXPECT_FALSE(SDL_GetWindowFlags(native) & SDL_WINDOW_OPENGL);
  EXPECT_TRUE(SDL_GetWindowFlags(native) & SDL_WINDOW_SHOWN);
  EXPECT_EQ(OpenGlWindowOf(handle), nullptr) << "OpenGL is tried once per window";
  EndEngine();
  EXPECT_EQ(LiveBlockCount(), 0) << "engine blocks left after EndEngine";
}

// The window remade for OpenGL is the same window to the program and the player: same handle,
// place, size, title, border and visibility, the keyboard focus it had (the pointer is elsewhere,
// so the focus does not merely follow it), no deactivation on the way, and what the player did
// to the old one before it went (a move, a close) still arrives, in the right place.
// Without a window manager SDL focuses every window it shows, so here the focus would come back
// anyway; under one that holds back new windows it comes back only because it is asked for.
// The first window waits unmapped for its back-end: remade for OpenGL it is still unmapped,
// and it shows once the device is made (or refused). With the software back-end forced
// nothing is remade, and it shows at once.
TEST(RealDesktop, TheFirstWindowShowsOnceItsBackEndIsSettled) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  ASSERT_TRUE(StartSdlVideo());
  {
    PlainWindow window(100, 50, false);
    ASSERT_NE(window.handle(), nullptr);
    EXPECT_FALSE(SDL_GetWindowFlags(NativeWindowOf(window.handle())) & SDL_WINDOW_SHOWN);
    SDL_Window* remade = OpenGlWindowOf(window.handle());
    if (remade == nullptr) GTEST_SKIP() << "no OpenGL window on this display: " << SDL_GetError();
    PumpFor(100);
    EXPECT_FALSE(SDL_GetWindowFlags(remade) & SDL_WINDOW_SHOWN) << "remade before it was ever shown";
    BackEndSettled(window.handle());
    EXPECT_TRUE(SDL_GetWindowFlags(remade) & SDL_WINDOW_SHOWN);
  }
  setenv("VORNEK_SOFTWARE", "1", 1);
  {
    PlainWindow window(100, 50, false);
    ASSERT_NE(window.handle(), nullptr);
    EXPECT_TRUE(SDL_GetWindowFlags(NativeWindowOf(window.handle())) & SDL_WINDOW_SHOWN);
  }
  unsetenv("VORNEK_SOFTWARE");
}

TEST(RealDesktop, AWindowRemadeForOpenGlCarriesOnAsTheSameWindow) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  ASSERT_TRUE(StartSdlVideo());
  PlainWindow window(100, 50);
  ASSERT_NE(window.handle(), nullptr);
  SDL_Window* old = NativeWindowOf(window.handle());
  ASSERT_NE(old, nullptr);
  EXPECT_FALSE(SDL_GetWindowFlags(old) & SDL_WINDOW_OPENGL);
  ASSERT_EQ(SDL_WarpMouseGlobal(700, 700), 0) << SDL_GetError();
  ASSERT_EQ(SDL_SetWindowInputFocus(old), 0) << SDL_GetError();
  PumpFor(200);
  ASSERT_TRUE(SDL_GetWindowFlags(old) & SDL_WINDOW_INPUT_FOCUS);

  // Queued by the old window, read after it is gone.
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.windowID = SDL_GetWindowID(old);
  motion.motion.x = 10;
  motion.motion.y = 20;
  ASSERT_EQ(SDL_PushEvent(&motion), 1);
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.windowID = SDL_GetWindowID(old);
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  ASSERT_EQ(SDL_PushEvent(&close), 1);

  SDL_Window* remade = OpenGlWindowOf(window.handle());
  if (remade == nullptr) GTEST_SKIP() << "no OpenGL window on this display: " << SDL_GetError();
  EXPECT_EQ(NativeWindowOf(window.handle()), remade);
  EXPECT_TRUE(SDL_GetWindowFlags(remade) & SDL_WINDOW_OPENGL);
  EXPECT_EQ(OpenGlWindowOf(window.handle()), remade) << "an OpenGL window is remade only once";
  moves.clear();
  closeRequests = 0;
  deactivations = 0;
  PumpFor(300);
  int x = 0, y = 0, width = 0, height = 0;
  SDL_GetWindowPosition(remade, &x, &y);
  SDL_GetWindowSize(remade, &width, &height);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 50);
  EXPECT_EQ(width, 320);
  EXPECT_EQ(height, 240);
  EXPECT_STREQ(SDL_GetWindowTitle(remade), "desktop");
  const Uint32 flags = SDL_GetWindowFlags(remade);
  EXPECT_TRUE(flags & SDL_WINDOW_SHOWN);
  EXPECT_TRUE(flags & SDL_WINDOW_BORDERLESS);
  EXPECT_TRUE(flags & SDL_WINDOW_INPUT_FOCUS);
  EXPECT_EQ(deactivations, 0);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0].x, 10);
  EXPECT_EQ(moves[0].y, 20);
  EXPECT_EQ(closeRequests, 1);
  EXPECT_TRUE(IsWindow(window.handle()));
}

// The pointer over the old window is over the new one: the engine's pointer stays where it was.
TEST(RealDesktop, ThePointerOverAWindowRemadeForOpenGlStaysWithIt) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  ASSERT_TRUE(StartSdlVideo());
  PlainWindow window(100, 50);
  ASSERT_NE(window.handle(), nullptr);
  SDL_WarpMouseInWindow(NativeWindowOf(window.handle()), 30, 40);
  PumpFor(200);
  ASSERT_EQ(SDL_GetMouseFocus(), NativeWindowOf(window.handle()));
  SDL_Window* remade = OpenGlWindowOf(window.handle());
  if (remade == nullptr) GTEST_SKIP() << "no OpenGL window on this display: " << SDL_GetError();
  PumpFor(300);
  EXPECT_EQ(SDL_GetMouseFocus(), remade);
  POINT cursor{};
  EXPECT_TRUE(GetCursorPos(&cursor));
  EXPECT_EQ(cursor.x, 130);
  EXPECT_EQ(cursor.y, 90);
}

// `xdotool windowclose` and task managers destroy the window without asking: the game takes it
// as a close. The frame loop ends, the engine shuts down in order and nothing is left, where
// Xlib's own error handler would have ended the process with status 1 at the next request.
TEST(RealDesktop, AWindowDestroyedFromOutsideEndsTheGameInOrder) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  test_support::TempDirectory directory;
  ASSERT_EQ(StartGame(), 0);
  ASSERT_TRUE(PlayFrames(10));
  testing::internal::CaptureStderr();
  ASSERT_TRUE(DestroyFromOutside(NativeWindowOf(EngineState.MainWindow)));
  // Frames go on being drawn into the lost window until the loss is seen; each pass also waits
  // for the display's refresh, so this is a few seconds at most.
  int frames = 0;
  bool ended = false;
  for (; frames < 600 && !ended; ++frames) {
    RunFrame();
    ended = PumpMessages() != 0;
  }
  EXPECT_TRUE(ended) << "the game still runs " << frames << " frames after its window was destroyed";
  EndEngine();
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_EQ(errors.find("X error"), std::string::npos) << errors;
  EXPECT_EQ(LiveBlockCount(), 0) << "engine blocks left after EndEngine";
}

// Until the next pump the game goes on presenting into the window it does not yet know is gone.
// Mesa's software path would read the destroyed window's size, be refused and go on with whatever
// its stack held: 32768 × 32768 made it copy past its buffer in the blit onto the window. The
// device asks nothing of a window known lost, and the loss still ends the game at the next pump.
TEST(RealDesktop, FramesPresentedIntoAWindowDestroyedFromOutsideReachNoDriver) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  if (SoftwareForced()) GTEST_SKIP() << "VORNEK_SOFTWARE=1 keeps the engine off its hardware back-end";
  test_support::TempDirectory directory;
  ASSERT_EQ(StartGame(), 0);
  ASSERT_TRUE(UsingHardwarePath()) << "no OpenGL 3.3 on this display: the engine took its software back-end";
  ASSERT_TRUE(PlayFrames(3));
  {
    RefusedRequests refused(NativeWindowOf(EngineState.MainWindow));
    ASSERT_TRUE(DestroyFromOutside(NativeWindowOf(EngineState.MainWindow)));
    for (int frame = 0; frame < 5; ++frame) RunFrame();
    EXPECT_EQ(refused.Taken(), "") << "requests refused on the destroyed window, by request code";
  }
  EXPECT_EQ(PumpMessages(), -1) << "the loss is taken at the first pump";
  EndEngine();
  EXPECT_EQ(LiveBlockCount(), 0) << "engine blocks left after EndEngine";
}

}  // namespace
