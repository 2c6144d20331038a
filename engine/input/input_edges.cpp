// Presses and releases between two frames, and the wheel: counted from the key and button
// messages the pump drains, so that a key pressed and released within one frame is not lost.
#include "../core/last_error.h"
#include "input.h"
#include "input_state.h"
#include "vornek.h"
#include "../core/engine_thread.h"

namespace {

void Count(unsigned short& counter) {
  if (counter != 0xFFFF) ++counter;
}

void CountButton(int button, bool down) {
  Count(down ? InputState.PendingButtonPresses[button] : InputState.PendingButtonReleases[button]);
}

// The index of a one-bit input mask, -1 for anything else.
int InputIndex(unsigned input) {
  if (input == 0 || (input & (input - 1)) != 0) return -1;
  int index = 0;
  while ((input >> index) != 1) ++index;
  return index;
}

int ButtonIndex(int button, const char* call) {
  const int index = button > 0 && button <= 0xFF ? InputIndex(static_cast<unsigned>(button)) : -1;
  if (index < 0) SetLastErrorText("%s: %d is not one mouse button (1, 2, 4, ... 128)", call, button);
  return index;
}

bool ValidKey(int keyCode, const char* call) {
  if (keyCode >= 0 && keyCode <= 255) return true;
  SetLastErrorText("%s: key code %d is outside 0-255", call, keyCode);
  return false;
}

int PadInputIndex(int pad, unsigned input, const char* call) {
  if (pad < 0 || pad >= MaxPads) {
    SetLastErrorText("%s: pad %d does not exist; pads are numbered 0 to %d", call, pad, MaxPads - 1);
    return -1;
  }
  const int index = InputIndex(input);
  if (index < 0) SetLastErrorText("%s: 0x%x is not one pad input", call, input);
  return index;
}

int KeyCount(const unsigned short (&counts)[256], int key) { return key >= 0 && key < 256 ? counts[key] : 0; }

}  // namespace

void PublishInputFrame() {
  for (int k = 0; k < 256; ++k) {
    InputState.KeyPresses[k] = InputState.PendingKeyPresses[k];
    InputState.KeyReleases[k] = InputState.PendingKeyReleases[k];
    InputState.PendingKeyPresses[k] = InputState.PendingKeyReleases[k] = 0;
  }
  for (int b = 0; b < 8; ++b) {
    InputState.ButtonPresses[b] = InputState.PendingButtonPresses[b];
    InputState.ButtonReleases[b] = InputState.PendingButtonReleases[b];
    InputState.PendingButtonPresses[b] = InputState.PendingButtonReleases[b] = 0;
  }
  // Part of a notch (a fine wheel) waits for the rest.
  InputState.WheelNotches = InputState.PendingWheel / WHEEL_DELTA;
  InputState.PendingWheel %= WHEEL_DELTA;
  for (int pad = 0; pad < MaxPads; ++pad) {
    const std::uint32_t now = InputState.DirectInput != nullptr ? PadDeviceInputs(pad) : 0;
    const std::uint32_t before = InputState.PadFrameInputs[pad];
    for (int i = 0; i < PadInputs; ++i) {
      const std::uint32_t bit = 1u << i;
      InputState.PadPresses[pad][i] = (now & bit) && !(before & bit) ? 1 : 0;
      InputState.PadReleases[pad][i] = !(now & bit) && (before & bit) ? 1 : 0;
    }
    InputState.PadFrameInputs[pad] = now;
  }
}

void NoteInputMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const int keyCode = static_cast<int>((static_cast<std::uintptr_t>(lParam) >> 16) & 0xFF);
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      // A held key repeats its press; only the first one is an edge.
      if ((static_cast<std::uintptr_t>(lParam) & 0x40000000u) == 0) Count(InputState.PendingKeyPresses[keyCode]);
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      Count(InputState.PendingKeyReleases[keyCode]);
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      CountButton(0, message == WM_LBUTTONDOWN);
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      CountButton(1, message == WM_RBUTTONDOWN);
      break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      CountButton(2, message == WM_MBUTTONDOWN);
      break;
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
      if (HIWORD(wParam) == 1 || HIWORD(wParam) == 2) CountButton(2 + HIWORD(wParam), message == WM_XBUTTONDOWN);
      break;
    case WM_MOUSEWHEEL:
      InputState.PendingWheel += static_cast<short>(HIWORD(wParam));
      break;
    default:
      break;
  }
}

int CountKeyPresses(int keyCode) {
  if (CalledOffEngineThread(__func__)) return -1;
  return ValidKey(keyCode, "CountKeyPresses") ? InputState.KeyPresses[keyCode] : -1;
}

int CountKeyReleases(int keyCode) {
  if (CalledOffEngineThread(__func__)) return -1;
  return ValidKey(keyCode, "CountKeyReleases") ? InputState.KeyReleases[keyCode] : -1;
}

int CountMouseButtonPresses(int button) {
  if (CalledOffEngineThread(__func__)) return -1;
  const int index = ButtonIndex(button, "CountMouseButtonPresses");
  return index < 0 ? -1 : InputState.ButtonPresses[index];
}

int CountMouseButtonReleases(int button) {
  if (CalledOffEngineThread(__func__)) return -1;
  const int index = ButtonIndex(button, "CountMouseButtonReleases");
  return index < 0 ? -1 : InputState.ButtonReleases[index];
}

int GetMouseWheelRotation() {
  if (CalledOffEngineThread(__func__)) return 0;
  return InputState.WheelNotches;
}

int CountPadPresses(int pad, unsigned input) {
  if (CalledOffEngineThread(__func__)) return -1;
  const int i = PadInputIndex(pad, input, "CountPadPresses");
  if (i < 0) return -1;
  // Each source counts: the pad's own input and either of its keys.
  const PadKeys& keys = InputState.PadKeyMap[pad][i];
  return InputState.PadPresses[pad][i] + KeyCount(InputState.KeyPresses, keys.key1) +
         KeyCount(InputState.KeyPresses, keys.key2);
}

int CountPadReleases(int pad, unsigned input) {
  if (CalledOffEngineThread(__func__)) return -1;
  const int i = PadInputIndex(pad, input, "CountPadReleases");
  if (i < 0) return -1;
  const PadKeys& keys = InputState.PadKeyMap[pad][i];
  return InputState.PadReleases[pad][i] + KeyCount(InputState.KeyReleases, keys.key1) +
         KeyCount(InputState.KeyReleases, keys.key2);
}
