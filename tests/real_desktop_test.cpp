// The game's window on a real X display as a player's desktop treats it: its picture never goes
// through OpenGL.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/user32.h"
#include "sdl_video.h"

namespace {

LRESULT Plain(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// SDL would carry the window surface through an OpenGL texture (a renderer of its own on the
// window) unless told not to; asking for it in the environment changes nothing.
TEST(RealDesktop, TheWindowSurfaceNeverGoesThroughOpenGl) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  setenv("SDL_FRAMEBUFFER_ACCELERATION", "opengl", 1);
  ASSERT_TRUE(StartSdlVideo());
  const std::string className = "VornekSurfaceTest" + std::to_string(getpid());
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = Plain;
  windowClass.lpszClassName = className.c_str();
  ASSERT_NE(RegisterClassExA(&windowClass), 0);
  HWND window = CreateWindowExA(0, className.c_str(), "surface", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr,
                                nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  SDL_Window* native = NativeWindowOf(window);
  ASSERT_NE(native, nullptr);
  SDL_Surface* surface = SDL_GetWindowSurface(native);
  ASSERT_NE(surface, nullptr) << SDL_GetError();
  EXPECT_EQ(SDL_UpdateWindowSurface(native), 0) << SDL_GetError();
  EXPECT_EQ(SDL_GetRenderer(native), nullptr) << "the window surface is an OpenGL texture";
  DestroyWindow(window);
  UnregisterClassA(className.c_str(), nullptr);
}

}  // namespace
