// The records of the game controllers each platform implementation reports to the DirectInput and
// multimedia joystick stand-ins (the functions are in platform_contract.h): the attached pads,
// their raw state and their force feedback.
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
  std::uint32_t id;                       // never 0; stays the pad's while it is attached
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

// An effect on the pad's first two axes, magnitudes and gain 0-10000, times in microseconds
// (duration INFINITE: until stopped).
struct PadEffectParameters {
  bool sine;  // else constant force
  DWORD magnitude;
  DWORD period;
  DWORD attackTime, fadeTime;
  DWORD duration;
  DWORD gain;
};
