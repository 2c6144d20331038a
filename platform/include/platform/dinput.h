// DirectInput: keyboard, mouse and game controllers as devices with a polled state, created
// through COM; force-feedback effects on game controllers.
#pragma once

#include "platform/ole32.h"
#include "platform/user32.h"

// Classes and interfaces (the published identifiers).
inline constexpr GUID CLSID_DirectInput{0x25E609E0, 0xB259, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID CLSID_DirectInput8{0x25E609E4, 0xB259, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID IID_IDirectInput7A{0x9A4CB684, 0x236D, 0x11D3, {0x8E, 0x9D, 0x00, 0xC0, 0x4F, 0x68, 0x44, 0xAE}};
inline constexpr GUID IID_IDirectInput8A{0xBF798030, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};
inline constexpr GUID IID_IDirectInputDevice7A{
    0x57D7C6BC, 0x2356, 0x11D3, {0x8E, 0x9D, 0x00, 0xC0, 0x4F, 0x68, 0x44, 0xAE}};
inline constexpr GUID GUID_SysMouse{0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_SysKeyboard{0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

constexpr HRESULT DI_OK = 0;
constexpr HRESULT DI_POLLEDDEVICE = 2;
constexpr HRESULT DIERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);
constexpr HRESULT DIERR_INPUTLOST = static_cast<HRESULT>(0x8007001Eu);
constexpr HRESULT DIERR_DEVICENOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT DIERR_OTHERAPPHASPRIO = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT DIERR_OBJECTNOTFOUND = static_cast<HRESULT>(0x80070002u);
constexpr HRESULT DIERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DIERR_ACQUIRED = static_cast<HRESULT>(0x800700AAu);
constexpr HRESULT DI_NOEFFECT = 1;

constexpr DWORD DISCL_EXCLUSIVE = 0x1;
constexpr DWORD DISCL_NONEXCLUSIVE = 0x2;
constexpr DWORD DISCL_FOREGROUND = 0x4;
constexpr DWORD DISCL_BACKGROUND = 0x8;

// Device data formats: only their sizes matter to the devices here.
struct DIDATAFORMAT {
  DWORD dwSize;
  DWORD dwObjSize;
  DWORD dwFlags;
  DWORD dwDataSize;
  DWORD dwNumObjs;
};
extern const DIDATAFORMAT c_dfDIKeyboard;  // 256 key bytes
extern const DIDATAFORMAT c_dfDIMouse2;    // DIMOUSESTATE2

struct DIMOUSESTATE2 {
  LONG lX;
  LONG lY;
  LONG lZ;
  BYTE rgbButtons[8];
};
static_assert(sizeof(DIMOUSESTATE2) == 20);

struct DIPROPHEADER {
  DWORD dwSize;
  DWORD dwHeaderSize;
  DWORD dwObj;
  DWORD dwHow;
};
struct DIPROPDWORD {
  DIPROPHEADER diph;
  DWORD dwData;
};
constexpr DWORD DIPH_DEVICE = 0;
constexpr DWORD DIPH_BYOFFSET = 1;
// Properties are small integers standing in pointer arguments in the published interface.
using DIPROPERTY = std::uintptr_t;
constexpr DIPROPERTY DIPROP_BUFFERSIZE = 1;
constexpr DIPROPERTY DIPROP_RANGE = 4;
constexpr DIPROPERTY DIPROP_DEADZONE = 5;  // 0-10000, parts of the range about the centre
struct DIPROPRANGE {
  DIPROPHEADER diph;
  LONG lMin;
  LONG lMax;
};

// Game controllers: the joystick state and its objects' offsets in it.
struct DIJOYSTATE {
  LONG lX, lY, lZ;
  LONG lRx, lRy, lRz;
  LONG rglSlider[2];
  DWORD rgdwPOV[4];  // hundredths of degrees clockwise from north; 0xFFFFFFFF centred
  BYTE rgbButtons[32];
};
static_assert(sizeof(DIJOYSTATE) == 80);
extern const DIDATAFORMAT c_dfDIJoystick;
constexpr DWORD DIJOFS_X = 0;
constexpr DWORD DIJOFS_Y = 4;
constexpr DWORD DIJOFS_Z = 8;
constexpr DWORD DIJOFS_RX = 12;
constexpr DWORD DIJOFS_RY = 16;
constexpr DWORD DIJOFS_RZ = 20;

// Device enumeration.
constexpr DWORD DIDEVTYPE_JOYSTICK = 4;
constexpr DWORD DIEDFL_ATTACHEDONLY = 1;
constexpr BOOL DIENUM_STOP = 0;
constexpr BOOL DIENUM_CONTINUE = 1;
struct DIDEVICEINSTANCEA {
  DWORD dwSize;
  GUID guidInstance;
  GUID guidProduct;
  DWORD dwDevType;
  char tszInstanceName[260];
  char tszProductName[260];
  GUID guidFFDriver;
  WORD wUsagePage;
  WORD wUsage;
};
using LPDIENUMDEVICESCALLBACKA = BOOL (*)(const DIDEVICEINSTANCEA* device, void* context);

// Force feedback.
inline constexpr GUID GUID_ConstantForce{0x13541C20, 0x8E33, 0x11D0, {0x9A, 0xD0, 0x00, 0xA0, 0xC9, 0xA0, 0x6E, 0x35}};
inline constexpr GUID GUID_Sine{0x13541C23, 0x8E33, 0x11D0, {0x9A, 0xD0, 0x00, 0xA0, 0xC9, 0xA0, 0x6E, 0x35}};
constexpr DWORD DI_FFNOMINALMAX = 10000;
constexpr DWORD DIEB_NOTRIGGER = 0xFFFFFFFFu;
constexpr DWORD DIEFF_OBJECTOFFSETS = 0x2;
constexpr DWORD DIEFF_CARTESIAN = 0x10;
constexpr DWORD DIEFF_POLAR = 0x20;
struct DIENVELOPE {
  DWORD dwSize;
  DWORD dwAttackLevel;
  DWORD dwAttackTime;  // microseconds
  DWORD dwFadeLevel;
  DWORD dwFadeTime;
};
struct DIPERIODIC {
  DWORD dwMagnitude;
  LONG lOffset;
  DWORD dwPhase;
  DWORD dwPeriod;  // microseconds
};
struct DICONSTANTFORCE {
  LONG lMagnitude;
};
struct DIEFFECT {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwDuration;  // microseconds, INFINITE for ever
  DWORD dwSamplePeriod;
  DWORD dwGain;
  DWORD dwTriggerButton;
  DWORD dwTriggerRepeatInterval;
  DWORD cAxes;
  DWORD* rgdwAxes;
  LONG* rglDirection;
  DIENVELOPE* lpEnvelope;
  DWORD cbTypeSpecificParams;
  void* lpvTypeSpecificParams;
  DWORD dwStartDelay;
};

// IDirectInputEffect::SetParameters: which parts of the record to take.
constexpr DWORD DIEP_TYPESPECIFICPARAMS = 0x00000100;

class IDirectInputEffect {
 public:
  // Only the type-specific parameters (the magnitude) can be changed here.
  virtual HRESULT SetParameters(const DIEFFECT* effect, DWORD flags) = 0;
  virtual HRESULT Start(DWORD iterations, DWORD flags) = 0;
  virtual HRESULT Stop() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IDirectInputEffect() = default;
};

// Key codes used by the engine by name.
constexpr int DIK_ESCAPE = 0x01;
constexpr int DIK_RETURN = 0x1C;
constexpr int DIK_LSHIFT = 0x2A;
constexpr int DIK_RSHIFT = 0x36;
constexpr int DIK_SPACE = 0x39;
constexpr int DIK_NUMLOCK = 0x45;
constexpr int DIK_UP = 0xC8;

class IDirectInputDevice {
 public:
  virtual HRESULT SetDataFormat(const DIDATAFORMAT* format) = 0;
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
  virtual HRESULT SetProperty(DIPROPERTY property, const DIPROPHEADER* header) = 0;
  // DI_OK, or DI_POLLEDDEVICE when the device never signals.
  virtual HRESULT SetEventNotification(HANDLE event) = 0;
  virtual HRESULT Acquire() = 0;
  virtual HRESULT Unacquire() = 0;
  virtual HRESULT GetDeviceState(DWORD size, void* data) = 0;
  virtual ULONG Release() = 0;
  // dwSize must be set to the record's size.
  virtual HRESULT GetDeviceInfo(DIDEVICEINSTANCEA* info) = 0;
  virtual HRESULT CreateEffect(const GUID& kind, const DIEFFECT* effect, IDirectInputEffect** result, void* outer) = 0;

 protected:
  ~IDirectInputDevice() = default;
};

// The version 7 and version 8 objects share this shape here; each serves the creation call of
// its own version.
class IDirectInput {
 public:
  virtual HRESULT Initialize(HINSTANCE instance, DWORD version) = 0;
  // Version 8.
  virtual HRESULT CreateDevice(const GUID& device, IDirectInputDevice** result, void* outer) = 0;
  // Version 7.
  virtual HRESULT CreateDeviceEx(const GUID& device, const GUID& interfaceId, void** result, void* outer) = 0;
  virtual ULONG Release() = 0;
  // Devices of one type (DIDEVTYPE_JOYSTICK), while the callback returns DIENUM_CONTINUE.
  virtual HRESULT EnumDevices(DWORD type, LPDIENUMDEVICESCALLBACKA callback, void* context, DWORD flags) = 0;

 protected:
  ~IDirectInput() = default;
};
