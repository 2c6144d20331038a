// Pad vibration: the force-feedback effects made at set-up, started with a power and for a
// time, stopped when the time is up (the pump's upkeep) and held while the application is
// inactive.
#include "../core/engine_state.h"
#include "../core/last_error.h"
#include "input.h"
#include "input_state.h"
#include "platform/winmm.h"
#include "vornek.h"
#include "../core/engine_thread.h"

namespace {

// The constant force where the pad has one, else the sine wave.
IDirectInputEffect* VibrationEffect(PadRecord& pad, bool* constant) {
  *constant = pad.constantEffect != nullptr;
  return pad.constantEffect != nullptr ? pad.constantEffect : pad.periodicEffect;
}

bool SetMagnitude(IDirectInputEffect* effect, bool constant, int power) {
  DIEFFECT parameters{};
  parameters.dwSize = sizeof parameters;
  DICONSTANTFORCE force{power};
  DIPERIODIC wave{static_cast<DWORD>(power), 0, 0, 1500000};
  if (constant) {
    parameters.cbTypeSpecificParams = sizeof force;
    parameters.lpvTypeSpecificParams = &force;
  } else {
    parameters.cbTypeSpecificParams = sizeof wave;
    parameters.lpvTypeSpecificParams = &wave;
  }
  return SUCCEEDED(effect->SetParameters(&parameters, DIEP_TYPESPECIFICPARAMS));
}

void Play(PadRecord& pad) {
  bool constant = false;
  IDirectInputEffect* effect = VibrationEffect(pad, &constant);
  if (effect == nullptr) return;
  int& running = constant ? pad.constantEffectRunning : pad.periodicEffectRunning;
  if (!running && SUCCEEDED(effect->Start(1, 0))) running = 1;
}

void Hold(PadRecord& pad) {
  if (pad.constantEffectRunning && pad.constantEffect != nullptr) pad.constantEffect->Stop();
  if (pad.periodicEffectRunning && pad.periodicEffect != nullptr) pad.periodicEffect->Stop();
  pad.constantEffectRunning = pad.periodicEffectRunning = 0;
}

void EndVibration(PadRecord& pad) {
  Hold(pad);
  pad.vibrationOn = 0;
  pad.vibrationTimeLimit = pad.vibrationElapsed = 0;
}

}  // namespace

int StartPadVibration(int pad, int power, int milliseconds) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (pad < 0 || pad >= MaxPads) {
    SetLastErrorText("StartPadVibration: pad %d does not exist; pads are numbered 0 to %d", pad, MaxPads - 1);
    return -1;
  }
  if (power < 0 || power > 1000) {
    SetLastErrorText("StartPadVibration: the power %d is outside 0-1000", power);
    return -1;
  }
  if (milliseconds < -1) {
    SetLastErrorText("StartPadVibration: the time %d is negative (-1 vibrates until stopped)", milliseconds);
    return -1;
  }
  PadRecord& record = InputState.Pads[pad];
  if (InputState.DirectInput == nullptr || pad >= InputState.PadCount || record.device == nullptr) {
    SetLastErrorText("StartPadVibration: no pad is attached as pad %d", pad);
    return -1;
  }
  bool constant = false;
  IDirectInputEffect* effect = VibrationEffect(record, &constant);
  if (effect == nullptr) {
    SetLastErrorText("StartPadVibration: pad %d (%s) cannot vibrate", pad, record.productName);
    return -1;
  }
  if (!SetMagnitude(effect, constant, power * 10)) {
    ReportFailure("StartPadVibration: pad %d refused the vibration's power", pad);
    return -1;
  }
  record.vibrationOn = 1;
  record.vibrationPower = power * 10;
  record.vibrationTimeLimit = milliseconds;
  record.vibrationElapsed = 0;
  record.vibrationLastTick = static_cast<int>(timeGetTime());
  // An inactive application starts vibrating once it is active again.
  if (EngineState.AppActive) Play(record);
  return 0;
}

int StopPadVibration(int pad) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (pad < 0 || pad >= MaxPads) {
    SetLastErrorText("StopPadVibration: pad %d does not exist; pads are numbered 0 to %d", pad, MaxPads - 1);
    return -1;
  }
  PadRecord& record = InputState.Pads[pad];
  if (InputState.DirectInput == nullptr || pad >= InputState.PadCount || record.device == nullptr) {
    SetLastErrorText("StopPadVibration: no pad is attached as pad %d", pad);
    return -1;
  }
  EndVibration(record);
  return 0;
}

int GetPadVibrationPower(int pad) {
  if (CalledOffEngineThread(__func__)) return -1;
  if (pad < 0 || pad >= MaxPads || pad >= InputState.PadCount || InputState.Pads[pad].device == nullptr) {
    SetLastErrorText("GetPadVibrationPower: no pad is attached as pad %d", pad);
    return -1;
  }
  const PadRecord& record = InputState.Pads[pad];
  return record.vibrationOn ? record.vibrationPower / 10 : 0;
}

void UpdatePadVibration() {
  if (InputState.DirectInput == nullptr) return;
  const int now = static_cast<int>(timeGetTime());
  for (int i = 0; i < InputState.PadCount && i < MaxPads; ++i) {
    PadRecord& pad = InputState.Pads[i];
    if (!pad.vibrationOn || pad.vibrationTimeLimit < 0) continue;
    pad.vibrationElapsed += now - pad.vibrationLastTick;
    pad.vibrationLastTick = now;
    if (pad.vibrationElapsed >= pad.vibrationTimeLimit) EndVibration(pad);
  }
}

void SwitchPadVibration(bool active) {
  if (InputState.DirectInput == nullptr) return;
  for (int i = 0; i < InputState.PadCount && i < MaxPads; ++i) {
    PadRecord& pad = InputState.Pads[i];
    if (!pad.vibrationOn) continue;
    if (active) {
      Play(pad);
    } else {
      Hold(pad);
    }
  }
}
