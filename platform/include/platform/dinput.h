// DirectInput: keyboard and mouse as devices with a polled state, created through COM.
#pragma once

#include "platform/ole32.h"
#include "platform/user32.h"

// Classes and interfaces (the published identifiers).
inline constexpr GUID CLSID_DirectInput{0x25E609E0, 0xB259, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID CLSID_DirectInput8{0x25E609E4, 0xB259, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID IID_IDirectInput7A{0x9A4CB684, 0x236D, 0x11D3, {0x8E, 0x9D, 0x00, 0xC0, 0x4F, 0x68, 0x44, 0xAE}};
inline constexpr GUID IID_IDirectInput8A{0xBF798030, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};
inline constexpr GUID IID_IDirectInputDevice7A{0x57D7C6BC, 0x2356, 0x11D3, {0x8E, 0x9D, 0x00, 0xC0, 0x4F, 0x68, 0x44, 0xAE}};
inline constexpr GUID GUID_SysMouse{0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_SysKeyboard{0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

constexpr HRESULT DI_OK = 0;
constexpr HRESULT DI_POLLEDDEVICE = 2;
constexpr HRESULT DIERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);
constexpr HRESULT DIERR_INPUTLOST = static_cast<HRESULT>(0x8007001Eu);
constexpr HRESULT DIERR_DEVICENOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT DIERR_OTHERAPPHASPRIO = static_cast<HRESULT>(0x80070005u);

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
// Properties are small integers standing in pointer arguments in the published interface.
using DIPROPERTY = std::uintptr_t;
constexpr DIPROPERTY DIPROP_BUFFERSIZE = 1;

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

 protected:
  ~IDirectInput() = default;
};
