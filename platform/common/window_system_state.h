// The window manager's record, shared by its source files.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "window_system.h"

namespace windows {

HCURSOR ArrowCursor();

struct WindowClass {
  std::string name;
  WNDPROC procedure;
  UINT style;
  HINSTANCE instance;
  HCURSOR cursor;
};

struct Timer {
  HWND window;
  UINT_PTR id;
  UINT elapse;
  TIMERPROC procedure;
  DWORD due;
};

struct State {
  std::vector<WindowClass> classes;
  std::vector<std::unique_ptr<Window>> windows;
  DWORD queueThread = 0;  // the thread whose queue receives events; 0 = none yet
  std::deque<MSG> posted;
  std::deque<MSG> input;
  bool quitPosted = false;
  int quitCode = 0;
  std::vector<Timer> timers;
  UINT_PTR nextTimerId = 1;

  BYTE virtualKeys[256] = {};
  BYTE keyCodes[256] = {};
  BYTE mouseButtons[8] = {};
  POINT cursor{};
  int cursorCount = 0;
  HCURSOR cursorImage = ArrowCursor();
  bool active = false;
  bool screenSaverActive = true;
  std::vector<std::pair<void*, HANDLE>> keyboardEvents;
  std::deque<std::string> pendingResults;
  std::string result;
  std::string composition;
  int compositionCursor = 0;
  bool composing = false;
  bool imeEnabled = true;
};

State& S();
// Drops a window's queued messages and timers once it is gone.
void ForgetWindowMessages(HWND window);
void PushInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void ApplyCursorState();

}  // namespace windows
