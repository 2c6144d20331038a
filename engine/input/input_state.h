// InputState: the input subsystem's record.
#pragma once

#include "platform/dinput.h"

struct InputStateRecord {
  int NoDirectInput;  // survives the clear at each start
  int DirectInputVersion8;
  IDirectInput* DirectInput;  // null: not started; WithoutDirectInputMarker: started without
  IDirectInputDevice* MouseDevice;
  IDirectInputDevice* KeyboardDevice;
  HANDLE KeyboardEvent;
  DWORD LastKeyRefreshTick;
  BYTE KeyState[256];
  int InputFlags[2];
};

extern InputStateRecord InputState;

// Stands in the DirectInput field when input runs on the Windows key state; never dereferenced.
IDirectInput* WithoutDirectInputMarker();

// VirtualKeyMap: {virtual key, DirectInput key code} rows ended by a 0xFFFF row.
struct VirtualKeyRow {
  WORD virtualKey;
  WORD keyCode;
};
extern const VirtualKeyRow VirtualKeyMap[];

// Sets up the mouse device (a step of InitInput); failures are fatal.
void SetUpMouseDevice();
