#include "dinput_standin.h"

#include "dinput_joystick.h"

#include <cstring>
#include <new>
#include <vector>

#include "window_system.h"

namespace dinput {

namespace {

int liveObjects = 0;

enum class Kind { Keyboard, Mouse };

class Device;
std::vector<Device*>& Devices() {
  static std::vector<Device*> list;
  return list;
}

class Device final : public IDirectInputDevice {
 public:
  explicit Device(Kind kind) : kind_(kind) {
    ++liveObjects;
    Devices().push_back(this);
  }

  HRESULT SetDataFormat(const DIDATAFORMAT* format) override {
    if (format == nullptr || acquired_) return DIERR_INVALIDPARAM;
    if (Faults().dataFormat) return E_FAIL;
    const DWORD expected = kind_ == Kind::Keyboard ? 256u : sizeof(DIMOUSESTATE2);
    if (format->dwDataSize != expected) return DIERR_INVALIDPARAM;
    formatSize_ = format->dwDataSize;
    return DI_OK;
  }

  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
    if (Faults().cooperativeLevel) return E_FAIL;
    const bool exclusive = (flags & DISCL_EXCLUSIVE) != 0, shared = (flags & DISCL_NONEXCLUSIVE) != 0;
    const bool fore = (flags & DISCL_FOREGROUND) != 0, back = (flags & DISCL_BACKGROUND) != 0;
    if (exclusive == shared || fore == back || windows::Find(window) == nullptr) return DIERR_INVALIDPARAM;
    return DI_OK;
  }

  HRESULT SetProperty(DIPROPERTY property, const DIPROPHEADER* header) override {
    if (header == nullptr || property != DIPROP_BUFFERSIZE || header->dwHow != DIPH_DEVICE) return DIERR_INVALIDPARAM;
    return DI_OK;
  }

  HRESULT SetEventNotification(HANDLE event) override {
    if (acquired_) return DIERR_INVALIDPARAM;
    if (Faults().eventNotification) return E_FAIL;
    if (kind_ == Kind::Keyboard) windows::SetKeyboardEvent(this, event);
    return DI_OK;
  }

  HRESULT Acquire() override {
    if (formatSize_ == 0 || Faults().acquire) return DIERR_OTHERAPPHASPRIO;
    acquired_ = true;
    return DI_OK;
  }

  HRESULT Unacquire() override {
    acquired_ = false;
    return DI_OK;
  }

  HRESULT GetDeviceState(DWORD size, void* data) override {
    if (data == nullptr || size != formatSize_) return DIERR_INVALIDPARAM;
    if (!acquired_) return DIERR_NOTACQUIRED;
    if (Faults().stateRead) {
      acquired_ = false;
      return DIERR_INPUTLOST;
    }
    if (kind_ == Kind::Keyboard) {
      std::memcpy(data, windows::KeyCodeState(), 256);
    } else {
      DIMOUSESTATE2 state{};
      std::memcpy(state.rgbButtons, windows::MouseButtonState(), 8);
      std::memcpy(data, &state, sizeof state);
    }
    return DI_OK;
  }

  ULONG Release() override {
    windows::SetKeyboardEvent(this, nullptr);
    auto& list = Devices();
    for (auto it = list.begin(); it != list.end(); ++it) {
      if (*it == this) {
        list.erase(it);
        break;
      }
    }
    --liveObjects;
    delete this;
    return 0;
  }

  HRESULT GetDeviceInfo(DIDEVICEINSTANCEA* info) override {
    if (info == nullptr || info->dwSize != sizeof(DIDEVICEINSTANCEA)) return DIERR_INVALIDPARAM;
    const char* name = kind_ == Kind::Keyboard ? "Keyboard" : "Mouse";
    *info = DIDEVICEINSTANCEA{};
    info->dwSize = sizeof *info;
    info->guidInstance = info->guidProduct = kind_ == Kind::Keyboard ? GUID_SysKeyboard : GUID_SysMouse;
    std::strcpy(info->tszInstanceName, name);
    std::strcpy(info->tszProductName, name);
    return DI_OK;
  }

  HRESULT CreateEffect(const GUID&, const DIEFFECT*, IDirectInputEffect** result, void*) override {
    if (result != nullptr) *result = nullptr;
    return DIERR_UNSUPPORTED;
  }

  void Lose() { acquired_ = false; }

 private:
  ~Device() = default;
  const Kind kind_;
  DWORD formatSize_ = 0;
  bool acquired_ = false;
};

class Object final : public IDirectInput {
 public:
  explicit Object(DWORD version) : version_(version) { ++liveObjects; }

  HRESULT Initialize(HINSTANCE instance, DWORD version) override {
    if (instance == nullptr || version != version_ || Faults().initialize) return E_FAIL;
    initialised_ = true;
    return DI_OK;
  }

  HRESULT CreateDevice(const GUID& device, IDirectInputDevice** result, void* outer) override {
    if (result == nullptr || outer != nullptr) return DIERR_INVALIDPARAM;
    *result = nullptr;
    if (!initialised_ || version_ != 0x800) return DIERR_INVALIDPARAM;
    return Make(device, result);
  }

  HRESULT CreateDeviceEx(const GUID& device, const GUID& interfaceId, void** result, void* outer) override {
    if (result == nullptr || outer != nullptr) return DIERR_INVALIDPARAM;
    *result = nullptr;
    if (!initialised_ || version_ != 0x700 || !(interfaceId == IID_IDirectInputDevice7A)) return E_NOINTERFACE;
    IDirectInputDevice* made = nullptr;
    const HRESULT hr = Make(device, &made);
    *result = made;
    return hr;
  }

  ULONG Release() override {
    --liveObjects;
    delete this;
    return 0;
  }

  HRESULT EnumDevices(DWORD type, LPDIENUMDEVICESCALLBACKA callback, void* context, DWORD flags) override {
    if (!initialised_) return DIERR_INVALIDPARAM;
    return EnumerateJoysticks(type, callback, context, flags);
  }

 private:
  ~Object() = default;

  HRESULT Make(const GUID& device, IDirectInputDevice** result) {
    if (IsJoystickInstance(device)) return CreateJoystick(device, result);
    const bool keyboard = device == GUID_SysKeyboard, mouse = device == GUID_SysMouse;
    if (!keyboard && !mouse) return DIERR_DEVICENOTREG;
    if ((keyboard && Faults().keyboardDevice) || (mouse && Faults().mouseDevice)) return DIERR_DEVICENOTREG;
    *result = new (std::nothrow) Device(keyboard ? Kind::Keyboard : Kind::Mouse);
    return *result != nullptr ? DI_OK : E_FAIL;
  }

  const DWORD version_;
  bool initialised_ = false;
};

}  // namespace

DeviceFaults& Faults() {
  static DeviceFaults faults;
  return faults;
}

HRESULT CreateInstance(const GUID& classId, DWORD context, const GUID& interfaceId, void** object) {
  if (!(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
  DWORD version = 0;
  if (classId == CLSID_DirectInput && interfaceId == IID_IDirectInput7A && !Faults().directInput7) {
    version = 0x700;
  } else if (classId == CLSID_DirectInput8 && interfaceId == IID_IDirectInput8A && !Faults().directInput8) {
    version = 0x800;
  } else {
    return REGDB_E_CLASSNOTREG;
  }
  *object = static_cast<IDirectInput*>(new (std::nothrow) Object(version));
  return *object != nullptr ? S_OK : E_FAIL;
}

void LoseDevices() {
  for (Device* d : Devices()) d->Lose();
}

int LiveObjects() { return liveObjects + LiveJoystickObjects(); }

}  // namespace dinput

const DIDATAFORMAT c_dfDIKeyboard{sizeof(DIDATAFORMAT), 16, 2, 256, 256};
const DIDATAFORMAT c_dfDIMouse2{sizeof(DIDATAFORMAT), 16, 1, sizeof(DIMOUSESTATE2), 11};
