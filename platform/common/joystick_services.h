// What each platform implementation supplies to the DirectInput and multimedia joystick
// stand-ins: the attached game controllers, their raw state, their state-change event and their
// force feedback.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32_types.h"

// Faults a test can give one pad (the real implementation never sets them).
struct PadFaults {
  bool create = false;
  bool dataFormat = false;
  bool cooperativeLevel = false;
  bool rangeX = false, rangeY = false;
  bool deadZoneX = false, deadZoneY = false;
  bool eventNotification = false;
  bool acquire = false;
};

struct PadDescription {
  std::uint32_t id;  // never 0; stays the pad's while it is attached
  std::string instanceName, productName;  // system code page
  int axes, buttons, hats;
  bool forceFeedback;
  PadFaults faults;
};

// Axes from -32768 to 32767 in the pad's own order; buttons 1 while held; hats in hundredths of
// degrees clockwise from north, -1 when centred.
struct PadReading {
  std::int32_t axes[8];
  std::uint8_t buttons[32];
  std::int32_t hats[4];
};

struct NativePad;
struct NativePadEffect;

// The pads attached now, in the system's order.
std::vector<PadDescription> PlatformPads();
// Null when the pad is gone.
NativePad* PlatformOpenPad(std::uint32_t id);
void PlatformClosePad(NativePad* pad);
bool PlatformReadPad(NativePad* pad, PadReading* reading);
// The event is set whenever the pad's input changes; null stops that.
void PlatformNotifyPadChanges(NativePad* pad, HANDLE event);

// An effect on the pad's first two axes, magnitudes and gain 0-10000, times in microseconds
// (duration INFINITE: until stopped). Null when the pad cannot play it.
struct PadEffectParameters {
  bool sine;  // else constant force
  DWORD magnitude;
  DWORD period;
  DWORD attackTime, fadeTime;
  DWORD duration;
  DWORD gain;
};
NativePadEffect* PlatformCreatePadEffect(NativePad* pad, const PadEffectParameters& parameters);
bool PlatformStartPadEffect(NativePadEffect* effect);
bool PlatformStopPadEffect(NativePadEffect* effect);
void PlatformDestroyPadEffect(NativePadEffect* effect);

// A DirectInput call on a pad, as "<product name>.<call>" (the fake keeps them in order).
void PlatformNotePadCall(const std::string& call);
