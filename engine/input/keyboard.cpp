// The keyboard state and the key check.
#include "../core/engine_state.h"
#include "../window/window.h"
#include "input.h"
#include "input_state.h"
#include "platform/kernel32.h"
#include "platform/winmm.h"
#include "vornek.h"
#include "../core/engine_thread.h"

namespace {

int RefreshFromDirectInput() {
  const DWORD now = timeGetTime();
  const bool signalled =
      InputState.KeyboardEvent != nullptr && WaitForSingleObject(InputState.KeyboardEvent, 0) == WAIT_OBJECT_0;
  if (now == InputState.LastKeyRefreshTick && !signalled) return 0;
  if (PumpWindowMessages() == -1) return 0;
  // The device may be gone if the pump ended input (a restore of the graphics does that).
  IDirectInputDevice* keyboard = InputState.KeyboardDevice;
  if (keyboard == nullptr) return 0;
  if (FAILED(keyboard->GetDeviceState(sizeof InputState.KeyState, InputState.KeyState))) {
    if (FAILED(keyboard->Acquire())) return 0;
    if (FAILED(keyboard->GetDeviceState(sizeof InputState.KeyState, InputState.KeyState))) return 0;
  }
  InputState.LastKeyRefreshTick = now;
  if (signalled) ResetEvent(InputState.KeyboardEvent);
  BYTE windowsKeys[256];
  if (GetKeyboardState(windowsKeys)) InputState.KeyState[DIK_RSHIFT] = windowsKeys[VK_RSHIFT];
  return 1;
}

int RefreshFromWindowsKeys() {
  const DWORD now = timeGetTime();
  if (now == InputState.LastKeyRefreshTick) return 0;
  InputState.LastKeyRefreshTick = now;
  if (PumpWindowMessages() == -1) return 0;
  BYTE windowsKeys[256];
  if (!GetKeyboardState(windowsKeys)) return 0;
  for (BYTE& b : InputState.KeyState) b = 0;
  for (const VirtualKeyRow* row = VirtualKeyMap; row->virtualKey != 0xFFFF; ++row) {
    InputState.KeyState[row->keyCode & 0xFF] = windowsKeys[row->virtualKey & 0xFF];
  }
  return 1;
}

}  // namespace

int RefreshKeyboardState() {
  if (!InputState.NoDirectInput && InputState.KeyboardDevice != nullptr) return RefreshFromDirectInput();
  return RefreshFromWindowsKeys();
}

int IsKeyDown(int keyCode) {
  if (CalledOffEngineThread(__func__)) return 0;
  WaitWhileInactive();
  if (InputState.DirectInput == nullptr) {
    // Input starts again here only for a running engine: before start-up or after the end
    // there is no window for the devices.
    if (EngineState.CloseRequested || !EngineState.Initialised) return 0;
    // Starting input reads no key yet; its result (1 when the keyboard event failed) says
    // nothing about the key.
    InitInput();
    return 0;
  }
  RefreshKeyboardState();
  // Codes outside the state table name no key.
  if (keyCode < 0 || keyCode > 255) return 0;
  return (InputState.KeyState[keyCode] & 0x80) ? 1 : 0;
}
