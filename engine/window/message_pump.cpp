// The message pump and the pause while the application is inactive.
#include "../core/engine_state.h"
#include "../sound/sound.h"
#include "../input/input.h"
#include "char_buffer.h"
#include "platform/kernel32.h"
#include "vornek.h"
#include "window.h"
#include "../core/engine_thread.h"

namespace {

HWND const ThreadMessages = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));
constexpr int MessagesPerPass = 5;

bool NextMessage(MSG* message) {
  if (PeekMessageA(message, nullptr, 0, 0, PM_NOREMOVE)) {
    return PeekMessageA(message, nullptr, 0, 0, PM_REMOVE) != FALSE;
  }
  return PeekMessageA(message, ThreadMessages, 0, 0, PM_REMOVE) ||
         PeekMessageA(message, EngineState.MainWindow, 0, 0, PM_REMOVE);
}

enum class Drain { Empty, Busy, Quit };

Drain DrainMessages() {
  MSG message;
  for (int count = 0; count < MessagesPerPass; ++count) {
    if (!NextMessage(&message)) return Drain::Empty;
    if (message.message == WM_ACTIVATEAPP && EngineState.Windowed) {
      EngineState.AppActive = LOWORD(message.wParam);
    }
    if (EngineState.QuitRequested) return Drain::Quit;
    if (message.message == WM_QUIT) EngineState.QuitRequested = 1;
    NoteInputMessage(message.message, message.wParam, message.lParam);
    // No accelerator table is loaded, so nothing is taken here before translation.
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return Drain::Busy;
}

}  // namespace

int PumpWindowMessages() {
  if (EngineState.PumpGuard) return 0;
  if (EngineState.MainWindow == nullptr) return EngineState.QuitRequested ? -1 : 0;

  const DWORD thread = GetCurrentThreadId();
  bool previousPassEmpty = false;
  for (bool first = true;; first = false) {
    // A program that runs while inactive is pumped as an active one.
    const bool paused = !EngineState.AppActive && !EngineState.RunWhileInactive;
    if (!first && (EngineState.CloseRequested || !paused) && (previousPassEmpty || EngineState.QuitRequested)) {
      break;
    }
    if (paused) Sleep(1);
    const Drain drained = DrainMessages();
    if (drained == Drain::Quit) break;
    previousPassEmpty = drained == Drain::Empty;
    // Background upkeep: sound streams (no movie or network connection is ever open).
    if (!EngineState.AppActive) UpdateSoundStreams();
    if (!EngineState.AppActive && !EngineState.RunWhileInactive) Sleep(1);
    if (EngineState.QuitRequested || thread != EngineState.WindowThreadId) break;
  }

  if (thread == EngineState.WindowThreadId && !EngineState.Windowed && EngineState.MainWindow != nullptr) {
    ApplyCursorVisibility(EngineState.CursorRequested);
  }

  // Per-call upkeep: sound streams (no network connection is open); vibrations whose time is up
  // stop; the text entry runs last, guarded against pumping from inside itself.
  UpdateSoundStreams();
  UpdatePadVibration();
  EngineState.PumpGuard = 1;
  ProcessTextEntry();
  EngineState.PumpGuard = 0;

  return EngineState.QuitRequested ? -1 : 0;
}

void WaitWhileInactive() {
  if (EngineState.Painting || EngineState.AppActive || EngineState.RunWhileInactive) return;
  // Without a window nothing can make the application active again.
  if (EngineState.MainWindow == nullptr) return;
  while (PumpWindowMessages() != -1 && !EngineState.AppActive) {
  }
}

int SetRunWhileInactive(int flag) {
  if (CalledOffEngineThread(__func__)) return -1;
  EngineState.RunWhileInactive = flag != 0;
  return 0;
}

int IsWindowActive() {
  if (CalledOffEngineThread(__func__)) return 0;
  return EngineState.MainWindow != nullptr && EngineState.AppActive ? 1 : 0;
}
