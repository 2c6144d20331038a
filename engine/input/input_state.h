// InputState: the input subsystem's record.
#pragma once

#include "platform/dinput.h"

// One game controller. The vibration fields keep their set-up values: nothing here vibrates.
struct PadRecord {
  IDirectInputDevice* device;
  IDirectInputEffect* constantEffect;
  IDirectInputEffect* periodicEffect;
  HANDLE event;  // the device's state-change event
  DIJOYSTATE state;
  int hasZAndR;  // without DirectInput: the joystick has both a Z and an R axis
  int vibrationOn, vibrationPower;
  int vibrationTimeLimit, vibrationElapsed, vibrationLastTick;
  int constantEffectRunning, periodicEffectRunning;
  char instanceName[260];
  char productName[260];
  double deadZoneFraction;
};

constexpr int MaxPads = 16;
constexpr int PadInputs = 32;

// Keys standing in for a pad's inputs: DirectInput key codes, -1 for none.
struct PadKeys {
  int key1, key2;
};

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
  int PadCount;
  PadRecord Pads[MaxPads];
  PadKeys PadKeyMap[MaxPads][PadInputs];
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

// Joypads (joypad.cpp). Set-up through DirectInput: every attached game controller, at most
// MaxPads; failures skip the device. Release: -1 when input is not started. Re-acquisition with
// the cooperative level for the application's activation. Without DirectInput: the number of
// joysticks the multimedia interface answers for.
void SetUpJoypads();
int ReleaseJoypads();
void ReacquireJoypads();
int CountMultimediaJoysticks();
void ResetPadKeyMap();
