// Game controllers: set-up through DirectInput or counting through the multimedia interface,
// release, re-acquisition, and the keys that stand in for the first pad.
#include <cstring>

#include "../core/engine_state.h"
#include "../core/log.h"
#include "input.h"
#include "input_state.h"
#include "platform/kernel32.h"
#include "platform/winmm.h"

namespace {

constexpr DWORD ExclusiveForeground = DISCL_EXCLUSIVE | DISCL_FOREGROUND;  // 5
constexpr DWORD SharedBackground = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;  // 10
constexpr LONG AxisLimit = 1000;
constexpr DWORD DeadZone = 2500;  // a quarter of the range about the centre

IDirectInputDevice* CreatePadDevice(const GUID& instance) {
  if (InputState.DirectInputVersion8) {
    IDirectInputDevice* device = nullptr;
    return SUCCEEDED(InputState.DirectInput->CreateDevice(instance, &device, nullptr)) ? device : nullptr;
  }
  void* made = nullptr;
  if (FAILED(InputState.DirectInput->CreateDeviceEx(instance, IID_IDirectInputDevice7A, &made, nullptr)))
    return nullptr;
  return static_cast<IDirectInputDevice*>(made);
}

HRESULT SetRange(IDirectInputDevice* device, DWORD offset) {
  DIPROPRANGE range{{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), offset, DIPH_BYOFFSET}, -AxisLimit, AxisLimit};
  return device->SetProperty(DIPROP_RANGE, &range.diph);
}

HRESULT SetDeadZone(IDirectInputDevice* device, DWORD offset) {
  DIPROPDWORD zone{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), offset, DIPH_BYOFFSET}, DeadZone};
  return device->SetProperty(DIPROP_DEADZONE, &zone.diph);
}

void ReleaseEffect(IDirectInputEffect*& effect) {
  if (effect == nullptr) return;
  effect->Stop();
  effect->Release();
  effect = nullptr;
}

// A sine wave and a constant force on X and Y, for ever at full gain.
void CreateEffects(IDirectInputDevice* device, PadRecord& pad) {
  DWORD axes[2] = {DIJOFS_X, DIJOFS_Y};
  LONG directions[2] = {0, 0};
  DIENVELOPE envelope{sizeof(DIENVELOPE), 0, 500000, 0, 1000000};
  DIPERIODIC periodic{DI_FFNOMINALMAX, 0, 0, 1500000};
  DIEFFECT effect{};
  effect.dwSize = sizeof effect;
  effect.dwFlags = DIEFF_POLAR | DIEFF_OBJECTOFFSETS;
  effect.dwDuration = INFINITE;
  effect.dwGain = DI_FFNOMINALMAX;
  effect.dwTriggerButton = DIEB_NOTRIGGER;
  effect.cAxes = 2;
  effect.rgdwAxes = axes;
  effect.rglDirection = directions;
  effect.lpEnvelope = &envelope;
  effect.cbTypeSpecificParams = sizeof periodic;
  effect.lpvTypeSpecificParams = &periodic;
  if (FAILED(device->CreateEffect(GUID_Sine, &effect, &pad.periodicEffect, nullptr))) pad.periodicEffect = nullptr;

  DICONSTANTFORCE constant{static_cast<LONG>(DI_FFNOMINALMAX)};
  effect.dwFlags = DIEFF_CARTESIAN | DIEFF_OBJECTOFFSETS;
  effect.lpEnvelope = nullptr;
  effect.cbTypeSpecificParams = sizeof constant;
  effect.lpvTypeSpecificParams = &constant;
  if (FAILED(device->CreateEffect(GUID_ConstantForce, &effect, &pad.constantEffect, nullptr))) {
    pad.constantEffect = nullptr;
    LogText("周期的エフェクトの作成に失敗しました。\n");
  }
}

// Drops a device whose set-up failed, with whatever was made for it.
BOOL Refuse(IDirectInputDevice* device, PadRecord& pad, HANDLE event, const char* message) {
  ReleaseEffect(pad.constantEffect);
  ReleaseEffect(pad.periodicEffect);
  device->Release();
  if (event != nullptr) CloseHandle(event);
  pad = PadRecord{};
  LogText(message);
  return DIENUM_CONTINUE;
}

BOOL SetUpPad(const DIDEVICEINSTANCEA* instance, void*) {
  LogText("入力装置を見つけました\n");
  IDirectInputDevice* device = CreatePadDevice(instance->guidInstance);
  if (device == nullptr) {
    LogText("入力装置の取得に失敗しました\n");
    return DIENUM_CONTINUE;
  }
  PadRecord& pad = InputState.Pads[InputState.PadCount];
  pad = PadRecord{};

  DIDEVICEINSTANCEA info{};
  info.dwSize = sizeof info;
  if (FAILED(device->GetDeviceInfo(&info))) info = *instance;
  std::memcpy(pad.instanceName, info.tszInstanceName, sizeof pad.instanceName);
  std::memcpy(pad.productName, info.tszProductName, sizeof pad.productName);
  pad.instanceName[sizeof pad.instanceName - 1] = pad.productName[sizeof pad.productName - 1] = '\0';
  LogIndentIn();
  LogFormat("デバイスの登録名:%s", pad.instanceName);
  LogFormat("デバイスの製品登録名:%s", pad.productName);
  LogIndentOut();

  if (FAILED(device->SetDataFormat(&c_dfDIJoystick))) {
    return Refuse(device, pad, nullptr, "ジョイパッドデバイスではありませんでした、又は設定に失敗しました\n");
  }
  if (FAILED(device->SetCooperativeLevel(EngineState.MainWindow, ExclusiveForeground))) {
    return Refuse(device, pad, nullptr, "ジョイパッドデバイスの協調レベルの設定に失敗しました\n");
  }
  if (FAILED(SetRange(device, DIJOFS_X)))
    return Refuse(device, pad, nullptr, "ジョイパッドデバイスのＸ軸関係の設定に失敗しました\n");
  if (FAILED(SetRange(device, DIJOFS_Y)))
    return Refuse(device, pad, nullptr, "ジョイパッドデバイスのＹ軸関係の設定に失敗しました\n");
  SetRange(device, DIJOFS_Z);
  SetRange(device, DIJOFS_RZ);
  if (FAILED(SetDeadZone(device, DIJOFS_X))) {
    return Refuse(device, pad, nullptr, "ジョイパッドデバイスのＸ軸の無効ゾーンの設定に失敗しました\n");
  }
  if (FAILED(SetDeadZone(device, DIJOFS_Y))) {
    return Refuse(device, pad, nullptr, "ジョイパッドデバイスのＹ軸の無効ゾーンの設定に失敗しました\n");
  }
  SetDeadZone(device, DIJOFS_Z);
  SetDeadZone(device, DIJOFS_RZ);

  CreateEffects(device, pad);

  pad.vibrationOn = 0;
  pad.vibrationPower = 10000;
  pad.deadZoneFraction = 0.25;
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  const HRESULT notified = event != nullptr ? device->SetEventNotification(event) : E_FAIL;
  if (notified != DI_OK && notified != DI_POLLEDDEVICE) {
    return Refuse(device, pad, event, "ジョイパッドイベントのセットアップが失敗しました\n");
  }

  device->Acquire();
  pad.instance = instance->guidInstance;
  pad.device = device;
  pad.event = event;
  std::memset(&pad.state, 0, sizeof pad.state);
  ++InputState.PadCount;
  LogText("ジョイパッドの追加は正常に終了しました\n");
  return InputState.PadCount < MaxPads ? DIENUM_CONTINUE : DIENUM_STOP;
}

}  // namespace

void SetUpJoypads() {
  LogText("ジョイパッドの初期化... \n");
  ReleaseJoypads();
  InputState.PadCount = 0;
  InputState.DirectInput->EnumDevices(DIDEVTYPE_JOYSTICK, &SetUpPad, nullptr, DIEDFL_ATTACHEDONLY);
  LogText("ジョイパッドの初期化は正常に終了しました\n");
}

int ReleaseJoypads() {
  if (InputState.DirectInput == nullptr) return -1;
  for (int i = 0; i < InputState.PadCount; ++i) {
    PadRecord& pad = InputState.Pads[i];
    // Counted without DirectInput, the records hold no device.
    if (pad.device != nullptr) {
      pad.device->Unacquire();
      pad.device->SetEventNotification(nullptr);
      ReleaseEffect(pad.constantEffect);
      ReleaseEffect(pad.periodicEffect);
      pad.device->Release();
    }
    if (pad.event != nullptr) CloseHandle(pad.event);
    pad = PadRecord{};
  }
  InputState.PadCount = 0;
  return 0;
}

void ReacquireJoypads() {
  const DWORD level = EngineState.AppActive ? ExclusiveForeground : SharedBackground;
  for (int i = 0; i < InputState.PadCount; ++i) {
    IDirectInputDevice* device = InputState.Pads[i].device;
    if (device == nullptr) continue;
    device->Unacquire();
    device->SetCooperativeLevel(EngineState.MainWindow, level);
    device->Acquire();
  }
}

namespace {

struct PadListing {
  GUID instances[MaxPads];
  int count;
};

BOOL ListPad(const DIDEVICEINSTANCEA* instance, void* context) {
  auto* listing = static_cast<PadListing*>(context);
  listing->instances[listing->count++] = instance->guidInstance;
  return listing->count < MaxPads ? DIENUM_CONTINUE : DIENUM_STOP;
}

}  // namespace

void RefreshJoypads() {
  if (InputState.DirectInput == nullptr || InputState.DirectInput == WithoutDirectInputMarker()) return;
  PadListing attached{};
  InputState.DirectInput->EnumDevices(DIDEVTYPE_JOYSTICK, &ListPad, &attached, DIEDFL_ATTACHEDONLY);
  bool same = attached.count == InputState.PadCount;
  for (int i = 0; same && i < attached.count; ++i) same = attached.instances[i] == InputState.Pads[i].instance;
  // The system tells of every device; most changes leave the pads as they are.
  if (same) return;

  PadListing before{};
  int zones[MaxPads] = {};
  for (int i = 0; i < InputState.PadCount && i < MaxPads; ++i) {
    before.instances[before.count] = InputState.Pads[i].instance;
    zones[before.count++] = static_cast<int>(InputState.Pads[i].deadZoneFraction * 10000.0 + 0.5);
  }
  SetUpJoypads();
  // A pad that stays attached keeps the dead zone the program gave it.
  for (int i = 0; i < InputState.PadCount; ++i) {
    for (int j = 0; j < before.count; ++j) {
      if (before.instances[j] == InputState.Pads[i].instance && zones[j] != static_cast<int>(DeadZone)) {
        ApplyPadDeadZone(i, zones[j]);
      }
    }
  }
  ReacquireJoypads();
  // Inputs held on a pad that now has another number count as pressed on the next frame.
  for (std::uint32_t& bits : InputState.PadFrameInputs) bits = 0;
}

int CountMultimediaJoysticks() {
  int found = 0;
  for (; found < MaxPads; ++found) {
    JOYCAPSA caps{};
    if (joyGetDevCapsA(static_cast<UINT>(found), &caps, sizeof caps) != JOYERR_NOERROR) break;
    InputState.Pads[found].hasZAndR = (caps.wCaps & (JOYCAPS_HASZ | JOYCAPS_HASR)) == (JOYCAPS_HASZ | JOYCAPS_HASR);
  }
  return found;
}

void ResetPadKeyMap() {
  for (auto& pad : InputState.PadKeyMap) {
    for (PadKeys& keys : pad) keys = PadKeys{-1, -1};
  }
  static constexpr PadKeys FirstPad[] = {
      {0x50, 0xD0}, {0x4B, 0xCB}, {0x4D, 0xCD}, {0x48, 0xC8},  // down, left, right, up: keypad and arrows
      {0x2C, -1},   {0x2D, -1},   {0x2E, -1},   {0x1E, -1},    // Z, X, C, A
      {0x1F, -1},   {0x20, -1},   {0x10, -1},   {0x11, -1},    // S, D, Q, W
      {0x01, -1},   {0x39, -1},                                // Escape, Space
  };
  for (int i = 0; i < static_cast<int>(sizeof FirstPad / sizeof FirstPad[0]); ++i)
    InputState.PadKeyMap[0][i] = FirstPad[i];
}
