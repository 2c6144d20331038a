// InitEngine, EndEngine and the shut-down sequence, with every start-up step in its order.
#include "lifecycle.h"

#include "../core/api_lock.h"
#include "../core/engine_state.h"
#include "../core/engine_thread.h"
#include "../core/fatal_error.h"
#include "../core/last_error.h"
#include "../core/log.h"
#include "../core/system_report.h"
#include "../core/time_counters.h"
#include "../core/tracked_memory.h"
#include "../graphics/graphics_state.h"
#include "../input/input.h"
#include "../sound/music_stream.h"
#include "../sound/sound.h"
#include "../text/font_system.h"
#include "../text/screen_log.h"
#include "../window/window.h"
#include "platform/gdi32.h"
#include "platform/kernel32.h"
#include "platform/ole32.h"
#include "vornek.h"

namespace {

void RecordStartupDirectory() {
  char path[sizeof EngineState.StartupDirectory];
  const DWORD length = GetCurrentDirectoryA(sizeof path, path);
  // A directory too long for the buffer is left out rather than cut: the log would otherwise
  // go to a truncated path.
  if (length == 0 || length > 256) {
    EngineState.StartupDirectory[0] = '\0';
    return;
  }
  for (DWORD i = 0; i <= length; ++i) EngineState.StartupDirectory[i] = path[i];
}

int DesktopDepth() {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return 0;
  const int depth = GetDeviceCaps(screen, PLANES) * GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  return depth;
}

int StartCom() {
  if (EngineState.ComStarted) return -1;
  LogText("ＣＯＭの初期化... ");
  if (FAILED(CoInitialize(nullptr))) {
    LogText("ＣＯＭの初期化に失敗しました\n");
    return -1;
  }
  LogText("成功しました\n");
  EngineState.ComStarted = 1;
  return 0;
}

enum class StartResult { Started, Refused, Failed };

// Steps 1-17 of the start-up.
StartResult StartEngine() {
  EngineState.Initialising = 1;
  // Before any step that may start the display: a mode switch while the window's first
  // messages are pumped starts it too.
  ListenToDisplay();

  if (!EngineState.Windowed && !HasDisplayMode(GraphicsState.screenWidth, GraphicsState.screenHeight)) {
    ChangeWindowMode(TRUE);
  }

  // Window titles and face names reach the system in the texts' character set.
  SetProcessCodePage(EngineState.Utf8Text ? CP_UTF8 : 0);
  // File access reads directly (no reader thread); its state needs no set-up beyond this.
  RecordStartupDirectory();
  StartLog();

  const int desktopDepth = DesktopDepth();
  if ((desktopDepth == 24 && EngineState.Windowed) || GraphicsState.screenBitDepth == 24) {
    LogText("Vornekは２４ビットカラーモードに対応していません\n");
    SetLastErrorText("InitEngine: a desktop of 24 bits per pixel (3 bytes a pixel) is not supported");
    return StartResult::Refused;  // Initialising stays 1 and nothing is shut down
  }

  StartPerformanceCounter();
  WriteSystemReport();

  SetLastErrorText("InitEngine: COM could not be started");
  if (StartCom() != 0) return StartResult::Failed;
  SetLastErrorText("InitEngine: the window could not be made (no display, or the program closed during start-up)");
  // A close or a signal while the window's steps pump messages ends the program: the window
  // may be gone already, so the steps after it stop here instead of failing on it.
  if (StartWindow() == -1 || EngineState.QuitRequested) return StartResult::Failed;
  SetLastErrorText("InitEngine: the input devices could not be started");
  if (InitInput() == -1 || EngineState.QuitRequested) return StartResult::Failed;
  StartSound();
  SetLastErrorText("InitEngine: the screen could not be set up");
  if (StartGraphics() < 0 || EngineState.QuitRequested) return StartResult::Failed;
  ClearLastErrorText();

  LogText("文字コードバッファの初期化を行います... ");
  StartCharBuffer();
  LogText("完了しました\n");

  EngineState.Initialised = 1;
  SetVSyncWait(TRUE);
  if (!EngineState.Windowed) BringWindowToFront();
  StartScreenLog();
  SelectDrawTarget(ScreenBack);
  SelectDrawTarget(ScreenFront);
  EngineState.Initialising = 0;
  return StartResult::Started;
}

// Stops the subsystems in the shut-down order. Each stop does nothing for a subsystem that is
// not running, so a start that failed half-way releases exactly what it had started.
void StopSubsystems() {
  // No network connection or the handle kinds the game never creates can exist yet.
  EndMusic();
  EndGraphics();
  EndInput();
  EndSound();
  EndWindow();
  if (EngineState.ComStarted) {
    CoUninitialize();
    LogText("ＣＯＭを終了... 完了\n");
    EngineState.ComStarted = 0;
  }
}

}  // namespace

int ShutDownEngine() {
  if (!EngineState.Initialised) return 0;
  EngineState.EndRequested = 1;
  StopScreenLog();
  StopSubsystems();
  EngineState.Initialised = 0;
  while (PumpWindowMessages() != -1 && !EngineState.QuitRequested) {
  }
  SetCurrentDirectoryA(EngineState.StartupDirectory);
  WriteMemoryReport();
  return 0;
}

int InitEngine() {
  if (CalledOffEngineThread(__func__)) return -1;
  if (EngineState.Initialised) return 0;
  SetFatalErrorShutDown(&ShutDownEngine);
  AcquireApiLock();
  // Two threads that both called before either started: the second finds the engine taken.
  if (!ClaimEngineThread()) {
    ReleaseApiLock();
    CalledOffEngineThread(__func__);
    return -1;
  }
  StartResult result = EngineState.Initialised ? StartResult::Started : StartEngine();
  if (result == StartResult::Failed) {
    StopSubsystems();
    EngineState.Initialising = 0;
  }
  if (result != StartResult::Started) ReleaseEngineThread();
  ReleaseApiLock();
  return result == StartResult::Started ? 0 : -1;
}

int EndEngine() {
  if (CalledOffEngineThread(__func__)) return -1;
  if (!EngineState.Initialised) return 0;
  AcquireApiLock();
  ShutDownEngine();
  ReleaseEngineThread();
  ReleaseApiLock();
  CloseApiLock();
  return 0;
}
