// The DirectInput objects both implementations hand out: devices read the key and button state
// the window manager keeps.
#pragma once

#include "platform/dinput.h"

namespace dinput {

// Faults a test can inject into every device (the real implementation never sets them).
struct DeviceFaults {
  bool directInput7 = false;
  bool directInput8 = false;
  bool initialize = false;
  bool keyboardDevice = false;
  bool mouseDevice = false;
  bool dataFormat = false;
  bool cooperativeLevel = false;
  bool eventNotification = false;
  bool acquire = false;
  bool stateRead = false;
};
DeviceFaults& Faults();

// CoCreateInstance of the version 7 or version 8 class.
HRESULT CreateInstance(const GUID& classId, DWORD context, const GUID& interfaceId, void** object);
// Every acquired device loses its acquisition, as when another program takes the device.
void LoseDevices();
// Devices and objects still alive (tests check that everything was released).
int LiveObjects();

}  // namespace dinput
