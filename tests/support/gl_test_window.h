// The hidden OpenGL window the tests of the OpenGL drawing engine draw through, made once per
// test suite. Null without an X display, so that the tests can skip.
#pragma once

#include <SDL.h>

#include <cstdlib>

inline SDL_Window* OpenGlTestWindow(const char* title, int width, int height) {
  if (std::getenv("DISPLAY") == nullptr) return nullptr;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  return SDL_CreateWindow(title, 0, 0, width, height, SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL);
}

inline void CloseGlTestWindow(SDL_Window*& window) {
  if (window != nullptr) SDL_DestroyWindow(window);
  window = nullptr;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
