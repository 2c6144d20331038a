// Keyboard and mouse: input start-up and end, device re-acquisition.
#pragma once

#include <cstdint>

#include "platform/user32.h"

// Returns 0, or 1 when the keyboard event could not be set up.
int InitInput();
int EndInput();
// 1 when the key state was refreshed, 0 when not.
int RefreshKeyboardState();
int ReacquireInputDevices();
// The two flags the input code's private window messages set (index 0 or 1).
void SetInputFlag(int index, bool on);

// Pads (pad_read.cpp, pad_vibration.cpp, joypad.cpp). The inputs of one pad's device as the bit
// set of GetPadInputs, without the keys; 0 when it has none or cannot be read.
std::uint32_t PadDeviceInputs(int pad);
// The pad's dead zone (0-10000) on its device: 0, or -1 when the device refuses X or Y.
int ApplyPadDeadZone(int pad, int zone);
// The pads again after the system told of a device attached or removed (WM_DEVICECHANGE).
void RefreshJoypads();
// Ends vibrations whose time is up (the pump's upkeep).
void UpdatePadVibration();
// Vibrating pads stop while the application is inactive and go on when it is active again.
void SwitchPadVibration(bool active);

// Input edges (input_edges.cpp). Each PumpMessages of the program ends by publishing the edges
// counted since the previous one, and the pads' changes since then, as the new frame's.
void PublishInputFrame();
// Every message the pump drains passes here first.
void NoteInputMessage(UINT message, WPARAM wParam, LPARAM lParam);
