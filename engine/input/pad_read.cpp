// Reading the pads: their inputs as a bit set merged with the keys of PadKeyMap, the analogue
// axes and the hats; the key map and the dead zone.
#include <cmath>
#include <initializer_list>

#include "../core/last_error.h"
#include "input.h"
#include "input_state.h"
#include "vornek.h"
#include "../core/engine_thread.h"

namespace {

bool ValidPadNumber(int pad, const char* call) {
  if (pad >= 0 && pad < MaxPads) return true;
  SetLastErrorText("%s: pad %d does not exist; pads are numbered 0 to %d", call, pad, MaxPads - 1);
  return false;
}

// The pad's device, or null (with the last error set) when there is none at that number.
PadRecord* AttachedPad(int pad, const char* call) {
  if (!ValidPadNumber(pad, call)) return nullptr;
  if (InputState.DirectInput == nullptr) {
    SetLastErrorText("%s: input is not started (call InitEngine first)", call);
    return nullptr;
  }
  if (pad >= InputState.PadCount || InputState.Pads[pad].device == nullptr) {
    SetLastErrorText("%s: no pad is attached as pad %d", call, pad);
    return nullptr;
  }
  return &InputState.Pads[pad];
}

std::uint32_t HatDirections(DWORD pov) {
  // Centred is 0xFFFF in the low word, whatever the high word holds.
  if ((pov & 0xFFFF) == 0xFFFF) return 0;
  const DWORD angle = pov % 36000;
  std::uint32_t bits = 0;
  if (angle > 9000 && angle < 27000) bits |= PadInputDown;
  if (angle > 18000) bits |= PadInputLeft;
  if (angle > 0 && angle < 18000) bits |= PadInputRight;
  if (angle < 9000 || angle > 27000) bits |= PadInputUp;
  return bits;
}

}  // namespace

bool ReadPadState(int pad, DIJOYSTATE* state) {
  PadRecord& record = InputState.Pads[pad];
  IDirectInputDevice* device = record.device;
  if (device == nullptr) return false;
  if (FAILED(device->GetDeviceState(sizeof record.state, &record.state))) {
    if (FAILED(device->Acquire()) || FAILED(device->GetDeviceState(sizeof record.state, &record.state))) return false;
  }
  *state = record.state;
  return true;
}

std::uint32_t PadDeviceInputs(int pad) {
  if (pad < 0 || pad >= InputState.PadCount) return 0;
  DIJOYSTATE state{};
  if (!ReadPadState(pad, &state)) return 0;
  // The device's dead zone leaves an axis at exactly 0 until it is passed.
  std::uint32_t bits = 0;
  if (state.lY > 0) bits |= PadInputDown;
  if (state.lX < 0) bits |= PadInputLeft;
  if (state.lX > 0) bits |= PadInputRight;
  if (state.lY < 0) bits |= PadInputUp;
  bits |= HatDirections(state.rgdwPOV[0]);
  for (int b = 0; b < PadInputs - 4; ++b) {
    if (state.rgbButtons[b] & 0x80) bits |= 1u << (4 + b);
  }
  return bits;
}

std::uint32_t PadKeyInputs(int pad) {
  std::uint32_t bits = 0;
  for (int i = 0; i < PadInputs; ++i) {
    const PadKeys& keys = InputState.PadKeyMap[pad][i];
    const bool held = (keys.key1 >= 0 && keys.key1 < 256 && (InputState.KeyState[keys.key1] & 0x80)) ||
                      (keys.key2 >= 0 && keys.key2 < 256 && (InputState.KeyState[keys.key2] & 0x80));
    if (held) bits |= 1u << i;
  }
  return bits;
}

int GetPadCount() {
  if (CalledOffEngineThread(__func__)) return -1;
  int count = 0;
  for (int i = 0; i < InputState.PadCount && i < MaxPads; ++i) {
    if (InputState.Pads[i].device != nullptr) ++count;
  }
  return count;
}

std::uint32_t GetPadInputs(int pad) {
  if (CalledOffEngineThread(__func__)) return 0;
  if (!ValidPadNumber(pad, "GetPadInputs")) return 0;
  if (InputState.DirectInput == nullptr) return 0;
  RefreshKeyboardState();
  return PadDeviceInputs(pad) | PadKeyInputs(pad);
}

int GetPadAnalogInput(int pad, int* x, int* y) {
  if (CalledOffEngineThread(__func__)) return -1;
  PadRecord* record = AttachedPad(pad, "GetPadAnalogInput");
  DIJOYSTATE state{};
  if (record == nullptr) return -1;
  if (!ReadPadState(pad, &state)) {
    SetLastErrorText("GetPadAnalogInput: pad %d could not be read (unplugged or taken by another program)", pad);
    return -1;
  }
  if (x != nullptr) *x = state.lX;
  if (y != nullptr) *y = state.lY;
  return 0;
}

int GetPadPointOfView(int pad, int hat) {
  if (CalledOffEngineThread(__func__)) return -1;
  PadRecord* record = AttachedPad(pad, "GetPadPointOfView");
  DIJOYSTATE state{};
  if (record == nullptr) return -1;
  if (hat < 0 || hat > 3) {
    SetLastErrorText("GetPadPointOfView: hat %d does not exist; hats are numbered 0 to 3", hat);
    return -1;
  }
  if (!ReadPadState(pad, &state)) {
    SetLastErrorText("GetPadPointOfView: pad %d could not be read (unplugged or taken by another program)", pad);
    return -1;
  }
  const DWORD pov = state.rgdwPOV[hat];
  return (pov & 0xFFFF) == 0xFFFF ? -1 : static_cast<int>(pov % 36000);
}

// The index of a one-bit input mask, -1 (with the last error set) for anything else.
static int PadInputIndex(unsigned input, const char* call) {
  if (input == 0 || (input & (input - 1)) != 0) {
    SetLastErrorText("%s: 0x%x is not one pad input", call, input);
    return -1;
  }
  int index = 0;
  while ((input >> index) != 1) ++index;
  return index;
}

int SetPadKeys(int pad, unsigned input, int key1, int key2) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (!ValidPadNumber(pad, "SetPadKeys")) return -1;
  const int i = PadInputIndex(input, "SetPadKeys");
  if (i < 0) return -1;
  for (int key : {key1, key2}) {
    if (key < -1 || key > 255) {
      SetLastErrorText("SetPadKeys: key code %d is outside 0-255 (-1 for none)", key);
      return -1;
    }
  }
  InputState.PadKeyMap[pad][i] = PadKeys{key1, key2};
  return 0;
}

int GetPadKeys(int pad, unsigned input, int* key1, int* key2) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (!ValidPadNumber(pad, "GetPadKeys")) return -1;
  const int i = PadInputIndex(input, "GetPadKeys");
  if (i < 0) return -1;
  const PadKeys& keys = InputState.PadKeyMap[pad][i];
  if (key1 != nullptr) *key1 = keys.key1;
  if (key2 != nullptr) *key2 = keys.key2;
  return 0;
}

int ApplyPadDeadZone(int pad, int zone) {
  PadRecord& record = InputState.Pads[pad];
  IDirectInputDevice* device = record.device;
  // Properties are set on a released device.
  device->Unacquire();
  DIPROPDWORD property{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), DIJOFS_X, DIPH_BYOFFSET}, static_cast<DWORD>(zone)};
  const bool x = SUCCEEDED(device->SetProperty(DIPROP_DEADZONE, &property.diph));
  property.diph.dwObj = DIJOFS_Y;
  const bool y = SUCCEEDED(device->SetProperty(DIPROP_DEADZONE, &property.diph));
  property.diph.dwObj = DIJOFS_Z;
  device->SetProperty(DIPROP_DEADZONE, &property.diph);
  property.diph.dwObj = DIJOFS_RZ;
  device->SetProperty(DIPROP_DEADZONE, &property.diph);
  device->Acquire();
  if (!x || !y) return -1;
  record.deadZoneFraction = zone / 10000.0;
  return 0;
}

int SetPadDeadZone(int pad, int zone) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (AttachedPad(pad, "SetPadDeadZone") == nullptr) return -1;
  if (zone < 0 || zone > 10000) {
    SetLastErrorText("SetPadDeadZone: the dead zone %d is outside 0-10000", zone);
    return -1;
  }
  if (ApplyPadDeadZone(pad, zone) != 0) {
    ReportFailure("SetPadDeadZone: pad %d refused the dead zone %d", pad, zone);
    return -1;
  }
  return 0;
}

int GetPadDeadZone(int pad) {
  if (CalledOffEngineThread(__func__)) return -1;
  PadRecord* record = AttachedPad(pad, "GetPadDeadZone");
  if (record == nullptr) return -1;
  return static_cast<int>(std::lround(record->deadZoneFraction * 10000.0));
}
