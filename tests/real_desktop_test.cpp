// The game on a real X display as a player's desktop treats it: the window's picture never goes
// through OpenGL, and a window destroyed by another client ends the game in order.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "board.h"
#include "core/engine_state.h"
#include "core/tracked_memory.h"
#include "game.h"
#include "platform/user32.h"
#include "sdl_video.h"
#include "test_support.h"
#include "vornek.h"
#include "x_window.h"

namespace {

int closeRequests = 0;

LRESULT Plain(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) ++closeRequests;
  return DefWindowProcA(window, message, wParam, lParam);
}

// A window of this platform, its class named for the process so parallel runs never meet.
class PlainWindow {
 public:
  PlainWindow() : className_("VornekDesktopTest" + std::to_string(getpid())) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = Plain;
    windowClass.lpszClassName = className_.c_str();
    RegisterClassExA(&windowClass);
    handle_ = CreateWindowExA(0, className_.c_str(), "desktop", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr,
                              nullptr, nullptr, nullptr);
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

// `xdotool windowclose` and task managers destroy the window without asking: the game takes it
// as a close. The frame loop ends, the engine shuts down in order and nothing is left, where
// Xlib's own error handler would have ended the process with status 1 at the next request.
TEST(RealDesktop, AWindowDestroyedFromOutsideEndsTheGameInOrder) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  test_support::TempDirectory directory;
  ASSERT_EQ(StartGame(), 0);
  ResetBoard();
  for (int frame = 0; frame < 10; ++frame) {
    RunFrame();
    ASSERT_EQ(PumpMessages(), 0);
  }
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

}  // namespace
