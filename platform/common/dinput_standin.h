// The DirectInput objects both implementations hand out: devices read the key and button state
// the window manager keeps.
#pragma once

#include "platform/dinput.h"

namespace dinput {

// Faults a test can inject into every device (the real implementation never sets them).
struct DeviceFaults {
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

// The object for CoCreateInstance (version 0x700 or 0x800 interface), or null.
IDirectInput* CreateObject(DWORD version);
// Every acquired device loses its acquisition, as when another program takes the device.
void LoseDevices();
// Devices and objects still alive (tests check that everything was released).
int LiveObjects();

}  // namespace dinput
