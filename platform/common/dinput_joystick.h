// Game controllers as DirectInput devices, and the multimedia joystick interface, over the pads
// the platform reports (joystick_services.h).
#pragma once

#include "platform/dinput.h"

namespace dinput {

HRESULT EnumerateJoysticks(DWORD type, LPDIENUMDEVICESCALLBACKA callback, void* context, DWORD flags);
// DIERR_DEVICENOTREG for an instance that is no pad's.
HRESULT CreateJoystick(const GUID& instance, IDirectInputDevice** result);
bool IsJoystickInstance(const GUID& instance);
// Pad devices and effects still alive.
int LiveJoystickObjects();

}  // namespace dinput
