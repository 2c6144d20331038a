// Settings recorded before InitEngine; some of them also act on a running engine.
#include <cstring>

#include "engine_state.h"
#include "last_error.h"
#include "platform/kernel32.h"
#include "vornek.h"
#include "engine_thread.h"
#include "../core/engine_thread.h"

int SetWindowTitle(const char* text) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (text == nullptr) return FailWithText("SetWindowTitle: the title is a null pointer");
  if (EngineState.MainWindow != nullptr) SetWindowTextA(EngineState.MainWindow, text);
  // The caller keeps titles under 256 bytes; a longer one is cut rather than overrunning.
  std::strncpy(EngineState.WindowTitle, text, sizeof EngineState.WindowTitle - 1);
  EngineState.WindowTitle[sizeof EngineState.WindowTitle - 1] = '\0';
  return 0;
}

int SetFullScreenKey(int flag) {
  if (CalledOffEngineThread(__func__)) return -1;
  EngineState.FullScreenKeyOff = flag == 0;
  if (flag == 0) EngineState.ModeToggleRequested = 0;
  return 0;
}

int SetLogOutputFlag(int flag) {
  if (CalledOffEngineThread(__func__)) return -1;
  EngineState.LogDisabled = flag == 0;
  return 0;
}

int SetUseUtf8Text(int flag) {
  if (CalledOffEngineThread(__func__)) return -1;
  // Fonts and the window take their texts' character set when they are made.
  if (EngineState.Initialised || EngineState.Initialising) {
    SetLastErrorText("SetUseUtf8Text: the character set of texts is chosen before InitEngine");
    return -1;
  }
  EngineState.Utf8Text = flag != 0;
  return 0;
}

int GetUseUtf8Text() {
  if (CalledOffEngineThread(__func__)) return -1;
  return EngineState.Utf8Text;
}
