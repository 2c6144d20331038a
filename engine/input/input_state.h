// InputState: the input subsystem's record.
#pragma once

#include "platform/dinput.h"

// One game controller.
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
  GUID instance;  // tells a pad still attached after a device change from a new one
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
  // Edges of the current frame, published at the end of the program's PumpMessages: presses and
  // releases of keys (by key code) and mouse buttons counted from the messages drained since the
  // previous publication (by any pump, so none is lost or counted twice), pad inputs from the
  // pads' own states compared frame to frame, and whole notches of the wheel.
  unsigned short KeyPresses[256], KeyReleases[256];
  unsigned short ButtonPresses[8], ButtonReleases[8];
  unsigned char PadPresses[MaxPads][PadInputs], PadReleases[MaxPads][PadInputs];
  int WheelNotches;
  // Counted since the last publication.
  unsigned short PendingKeyPresses[256], PendingKeyReleases[256];
  unsigned short PendingButtonPresses[8], PendingButtonReleases[8];
  int PendingWheel;                       // WHEEL_DELTA units
  std::uint32_t PadFrameInputs[MaxPads];  // each pad's own inputs (keys aside) at the last frame
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
