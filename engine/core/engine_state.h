// EngineState: the single record of window and lifecycle state and of the settings made before
// start-up. Plain data, zero at load (constant-initialised), so static initialisers of other
// files may read it before main.
#pragma once

#include <cstdint>

#include "platform/user32.h"

struct BlockHeader;

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
  int RunWhileInactive;  // the pause while inactive is skipped
  int Utf8Text;          // texts the program gives are UTF-8, not Shift-JIS

  // Log bookkeeping.
  int LogIndent;
  int LogLineOpen;
  DWORD LogStartTime;

  // The main window (set up by StartWindow, cleared at each start).
  HINSTANCE Instance;
  int DesktopWidth;
  int DesktopHeight;
  int DesktopDepth;
  std::uint64_t TotalMemory;
  std::uint64_t AvailableMemory;
  RECT ClientRectOnScreen;
  int Creating;
  int CodePageKind;  // 1 Shift-JIS, 2 Korean
  int CursorRequested;
  int CursorShown;
  int InactiveSince;  // -1 while active
  int Destroyed;
  int Painting;
  int DisplayChangeSeen;
  int ModeSwitching;
  int PumpGuard;
  int WindowStyled;  // the windowed style has been applied once

  double WindowScale;  // client size over screen size in windowed mode; <= 0 counts as 1.0
  // The scale at which the windowed client area fits on a desktop smaller than it, while that
  // is below WindowScale; 0 otherwise.
  double WindowFitScale;
  int FullScreenKeyOff;     // Alt+Enter leaves the window mode alone
  int ModeToggleRequested;  // Alt+Enter was pressed; PumpMessages switches the mode
  // Time counters: which counter GetMicroCount reads, and their frequencies (ticks per second).
  int PerfCounterUsable;
  std::uint64_t PerfFrequency;
  int CpuCounterUsable;
  std::uint64_t CpuFrequency;

  // The system report: the system's name and code, and what the processor offers.
  int OsCode;
  char OsText[320];    // "%s ( Build %d %s )"
  int DirectXVersion;  // 0x70000
  int CpuMhz;          // measured time-stamp-counter rate, whole megahertz
  int MmxUsable;
  int SseUsable;
  int Sse2Usable;
  char CpuName[49];  // the processor's brand text, empty without one

  // Tracked memory: the live list (newest first, ending at the sentinel), its totals, the next
  // id, and the trace settings (all 0 here: only 0-byte blocks are traced).
  BlockHeader* AllocListHead;
  std::uint32_t AllocTotalSize;
  int AllocCount;
  std::uint16_t AllocIdCounter;
  int TraceSize;
  int TraceAll;
  int TraceTotals;
  int CheckEachOperation;

  // Screen set-up results that colour values depend on.
  int HardwareRendering;
  int ScreenDepth;
};

extern EngineStateRecord EngineState;
