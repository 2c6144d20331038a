// Settings recorded before InitEngine; some of them also act on a running engine.
#include <cstring>

#include "engine_state.h"
#include "vornek.h"

int SetWindowTitle(const char* text) {
  if (text == nullptr) return -1;
  if (EngineState.MainWindow != nullptr) SetWindowTextA(EngineState.MainWindow, text);
  // The caller keeps titles under 256 bytes; a longer one is cut rather than overrunning.
  std::strncpy(EngineState.WindowTitle, text, sizeof EngineState.WindowTitle - 1);
  EngineState.WindowTitle[sizeof EngineState.WindowTitle - 1] = '\0';
  return 0;
}

int SetFullScreenKey(int flag) {
  EngineState.FullScreenKeyOff = flag == 0;
  if (flag == 0) EngineState.ModeToggleRequested = 0;
  return 0;
}

int SetLogOutputFlag(int flag) {
  EngineState.LogDisabled = flag == 0;
  return 0;
}
