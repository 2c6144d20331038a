// EngineState: the single record of window and lifecycle state and of the settings made before
// start-up. Plain data, zero at load (constant-initialised), so static initialisers of other
// files may read it before main.
#pragma once

#include <cstdint>

#include "platform/win32_types.h"

struct EngineStateRecord {
  int Initialised;
  int Initialising;
  HWND MainWindow;
  DWORD WindowThreadId;
  int AppActive;
  int CloseRequested;
  int QuitRequested;
  int EndRequested;
  char StartupDirectory[260];
  char WindowTitle[256];
  char WindowClassName[256];
  char LogFileName[260];
  int LogDisabled;
  int Windowed;
  int ComStarted;

  // Log bookkeeping.
  int LogIndent;
  int LogLineOpen;
  DWORD LogStartTime;

  double WindowScale;  // client size over screen size in windowed mode; <= 0 counts as 1.0

  // Screen set-up results that colour values depend on.
  int HardwareRendering;
  int ScreenDepth;
};

extern EngineStateRecord EngineState;
