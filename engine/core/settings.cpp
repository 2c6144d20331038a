// Settings recorded before InitEngine; some of them also act on a running engine.
#include <cstring>

#include "../window/window.h"
#include "engine_state.h"
#include "log.h"
#include "vornek.h"

int SetWindowTitle(const char* text) {
  if (text == nullptr) return -1;
  // The caller keeps titles under 256 bytes; a longer one is cut rather than overrunning.
  std::strncpy(EngineState.WindowTitle, text, sizeof EngineState.WindowTitle - 1);
  EngineState.WindowTitle[sizeof EngineState.WindowTitle - 1] = '\0';
  return 0;
}

int SetLogOutputFlag(int flag) {
  EngineState.LogDisabled = flag == 0;
  return 0;
}

int ChangeWindowMode(int flag) {
  LogText("ChangeWindowMode実行 \n");
  if (flag == EngineState.Windowed) return 0;
  if (EngineState.Initialised) return SwitchWindowMode(flag);
  EngineState.Windowed = flag;
  LogText(flag ? "ウインドウモードフラグが立てられました\n" : "ウインドウモードフラグが倒されました\n");
  return 0;
}
