#include "dinput_joystick.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "joystick_services.h"
#include "platform/winmm.h"
#include "platform_contract.h"
#include "window_system.h"

namespace dinput {

namespace {

int liveObjects = 0;

constexpr DWORD JoystickInstanceTag = 0x4A4F5950;  // the first field of every pad's instance
constexpr int AxisCount = 8;                       // X, Y, Z, Rx, Ry, Rz and two sliders

GUID InstanceOf(std::uint32_t id) {
  GUID g{JoystickInstanceTag, 0x5644, 0x494E, {0, 0, 0, 0, 0, 0, 0, 0}};
  for (int i = 0; i < 4; ++i) g.Data4[4 + i] = static_cast<BYTE>(id >> (8 * i));
  return g;
}

std::uint32_t IdOf(const GUID& instance) {
  std::uint32_t id = 0;
  for (int i = 0; i < 4; ++i) id |= static_cast<std::uint32_t>(instance.Data4[4 + i]) << (8 * i);
  return id;
}

bool Describe(std::uint32_t id, PadDescription* out) {
  for (const PadDescription& pad : PlatformPads()) {
    if (pad.id == id) {
      *out = pad;
      return true;
    }
  }
  return false;
}

void CopyName(char (&to)[260], const std::string& from) { std::snprintf(to, sizeof to, "%s", from.c_str()); }

class Joystick;

class Effect final : public IDirectInputEffect {
 public:
  Effect(Joystick* device, NativePadEffect* native, const char* name)
      : device_(device), native_(native), name_(name), sine_(name[0] == 's') {
    ++liveObjects;
  }
  HRESULT SetParameters(const DIEFFECT* effect, DWORD flags) override;
  HRESULT Start(DWORD iterations, DWORD flags) override;
  HRESULT Stop() override;
  ULONG Release() override;
  // The device went first: the effect stays an empty shell until released.
  void Detach() {
    if (native_ != nullptr) PlatformDestroyPadEffect(native_);
    native_ = nullptr;
    device_ = nullptr;
  }

 private:
  ~Effect() = default;
  Joystick* device_;
  NativePadEffect* native_;
  const char* name_;
  const bool sine_;
};

class Joystick final : public IDirectInputDevice {
 public:
  Joystick(NativePad* native, const PadDescription& description) : native_(native), description_(description) {
    ++liveObjects;
    for (Axis& a : axes_) a = Axis{};
  }

  HRESULT SetDataFormat(const DIDATAFORMAT* format) override {
    if (format == nullptr || acquired_) return DIERR_INVALIDPARAM;
    if (description_.faults.dataFormat || format->dwDataSize != sizeof(DIJOYSTATE)) return DIERR_INVALIDPARAM;
    formatted_ = true;
    return DI_OK;
  }

  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
    Note("SetCooperativeLevel(" + std::to_string(flags) + ")");
    if (description_.faults.cooperativeLevel) return E_FAIL;
    const bool exclusive = (flags & DISCL_EXCLUSIVE) != 0, shared = (flags & DISCL_NONEXCLUSIVE) != 0;
    const bool fore = (flags & DISCL_FOREGROUND) != 0, back = (flags & DISCL_BACKGROUND) != 0;
    if (exclusive == shared || fore == back || windows::Find(window) == nullptr) return DIERR_INVALIDPARAM;
    return DI_OK;
  }

  HRESULT SetProperty(DIPROPERTY property, const DIPROPHEADER* header) override {
    if (header == nullptr || header->dwHeaderSize != sizeof(DIPROPHEADER)) return DIERR_INVALIDPARAM;
    if (acquired_) return DIERR_ACQUIRED;
    int first = 0, last = description_.axes - 1;
    if (header->dwHow == DIPH_BYOFFSET) {
      if (header->dwObj % 4 != 0 || header->dwObj / 4 >= static_cast<DWORD>(std::min(description_.axes, AxisCount))) {
        return DIERR_OBJECTNOTFOUND;
      }
      first = last = static_cast<int>(header->dwObj / 4);
    } else if (header->dwHow != DIPH_DEVICE || header->dwObj != 0) {
      return DIERR_INVALIDPARAM;
    }
    last = std::min(last, AxisCount - 1);
    if (property == DIPROP_RANGE) {
      if (header->dwSize != sizeof(DIPROPRANGE)) return DIERR_INVALIDPARAM;
      const auto* range = reinterpret_cast<const DIPROPRANGE*>(header);
      if (range->lMin >= range->lMax) return DIERR_INVALIDPARAM;
      if ((first == 0 && description_.faults.rangeX) || (first <= 1 && last >= 1 && description_.faults.rangeY)) {
        return E_FAIL;
      }
      for (int a = first; a <= last; ++a) {
        axes_[a].min = range->lMin;
        axes_[a].max = range->lMax;
      }
      return DI_OK;
    }
    if (property == DIPROP_DEADZONE) {
      if (header->dwSize != sizeof(DIPROPDWORD)) return DIERR_INVALIDPARAM;
      const DWORD zone = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
      if (zone > 10000) return DIERR_INVALIDPARAM;
      if ((first == 0 && description_.faults.deadZoneX) || (first <= 1 && last >= 1 && description_.faults.deadZoneY)) {
        return E_FAIL;
      }
      for (int a = first; a <= last; ++a) axes_[a].deadZone = zone;
      return DI_OK;
    }
    return DIERR_UNSUPPORTED;
  }

  HRESULT SetEventNotification(HANDLE event) override {
    Note(event != nullptr ? "SetEventNotification" : "SetEventNotification(null)");
    if (acquired_) return DIERR_ACQUIRED;
    if (description_.faults.eventNotification) return E_FAIL;
    PlatformNotifyPadChanges(native_, event);
    return DI_OK;
  }

  HRESULT Acquire() override {
    Note("Acquire");
    if (!formatted_) return DIERR_INVALIDPARAM;
    if (description_.faults.acquire) return DIERR_OTHERAPPHASPRIO;
    if (acquired_) return S_FALSE;
    acquired_ = true;
    return DI_OK;
  }

  HRESULT Unacquire() override {
    Note("Unacquire");
    if (!acquired_) return DI_NOEFFECT;
    acquired_ = false;
    return DI_OK;
  }

  HRESULT GetDeviceState(DWORD size, void* data) override {
    if (data == nullptr || !formatted_ || size != sizeof(DIJOYSTATE)) return DIERR_INVALIDPARAM;
    if (!acquired_) return DIERR_NOTACQUIRED;
    PadReading raw{};
    if (!PlatformReadPad(native_, &raw)) return DIERR_INPUTLOST;
    DIJOYSTATE state{};
    LONG* axes[AxisCount] = {&state.lX,  &state.lY,  &state.lZ,           &state.lRx,
                             &state.lRy, &state.lRz, &state.rglSlider[0], &state.rglSlider[1]};
    for (int a = 0; a < std::min(description_.axes, AxisCount); ++a) *axes[a] = axes_[a].Scale(raw.axes[a]);
    for (int h = 0; h < 4; ++h) {
      state.rgdwPOV[h] = h < description_.hats && raw.hats[h] >= 0 ? static_cast<DWORD>(raw.hats[h]) : 0xFFFFFFFFu;
    }
    for (int b = 0; b < std::min(description_.buttons, 32); ++b) state.rgbButtons[b] = raw.buttons[b] ? 0x80 : 0;
    std::memcpy(data, &state, sizeof state);
    return DI_OK;
  }

  ULONG Release() override {
    Note("Release");
    for (Effect* e : effects_) e->Detach();
    PlatformNotifyPadChanges(native_, nullptr);
    PlatformClosePad(native_);
    --liveObjects;
    delete this;
    return 0;
  }

  HRESULT GetDeviceInfo(DIDEVICEINSTANCEA* info) override {
    if (info == nullptr || info->dwSize != sizeof(DIDEVICEINSTANCEA)) return DIERR_INVALIDPARAM;
    *info = DIDEVICEINSTANCEA{};
    info->dwSize = sizeof *info;
    info->guidInstance = InstanceOf(description_.id);
    info->guidProduct = info->guidInstance;
    info->dwDevType = DIDEVTYPE_JOYSTICK;
    CopyName(info->tszInstanceName, description_.instanceName);
    CopyName(info->tszProductName, description_.productName);
    return DI_OK;
  }

  HRESULT CreateEffect(const GUID& kind, const DIEFFECT* effect, IDirectInputEffect** result, void* outer) override {
    if (result == nullptr) return DIERR_INVALIDPARAM;
    *result = nullptr;
    if (effect == nullptr || outer != nullptr || effect->dwSize != sizeof(DIEFFECT)) return DIERR_INVALIDPARAM;
    const bool sine = kind == GUID_Sine;
    if (!sine && !(kind == GUID_ConstantForce)) return DIERR_DEVICENOTREG;
    Note(sine ? "CreateEffect(sine)" : "CreateEffect(constant)");
    if (!description_.forceFeedback) return DIERR_UNSUPPORTED;
    PadEffectParameters p{};
    p.sine = sine;
    p.duration = effect->dwDuration;
    p.gain = std::min<DWORD>(effect->dwGain, DI_FFNOMINALMAX);
    if (sine) {
      if (effect->cbTypeSpecificParams != sizeof(DIPERIODIC) || effect->lpvTypeSpecificParams == nullptr) {
        return DIERR_INVALIDPARAM;
      }
      const auto* periodic = static_cast<const DIPERIODIC*>(effect->lpvTypeSpecificParams);
      p.magnitude = std::min<DWORD>(periodic->dwMagnitude, DI_FFNOMINALMAX);
      p.period = periodic->dwPeriod;
    } else {
      if (effect->cbTypeSpecificParams != sizeof(DICONSTANTFORCE) || effect->lpvTypeSpecificParams == nullptr) {
        return DIERR_INVALIDPARAM;
      }
      const LONG magnitude = static_cast<const DICONSTANTFORCE*>(effect->lpvTypeSpecificParams)->lMagnitude;
      p.magnitude = std::min<DWORD>(static_cast<DWORD>(std::abs(magnitude)), DI_FFNOMINALMAX);
    }
    if (effect->lpEnvelope != nullptr) {
      p.attackTime = effect->lpEnvelope->dwAttackTime;
      p.fadeTime = effect->lpEnvelope->dwFadeTime;
    }
    NativePadEffect* native = PlatformCreatePadEffect(native_, p);
    if (native == nullptr) return DIERR_UNSUPPORTED;
    Effect* made = new (std::nothrow) Effect(this, native, sine ? "sine" : "constant");
    if (made == nullptr) {
      PlatformDestroyPadEffect(native);
      return E_FAIL;
    }
    effects_.push_back(made);
    *result = made;
    return DI_OK;
  }

  void Forget(Effect* e) { effects_.erase(std::remove(effects_.begin(), effects_.end(), e), effects_.end()); }
  void Note(const std::string& call) const { PlatformNotePadCall(description_.productName + "." + call); }

 private:
  ~Joystick() = default;

  // DirectInput's defaults: 0-65535, no dead zone.
  struct Axis {
    LONG min = 0, max = 65535;
    DWORD deadZone = 0;

    // Inside the dead zone the axis rests at the centre; outside it the rest of the travel
    // is stretched over the whole half-range, so the ends are still reached.
    LONG Scale(std::int32_t raw) const {
      const double n = raw < 0 ? raw / 32768.0 : raw / 32767.0;
      const double zone = deadZone / 10000.0;
      double v = 0.0;
      if (std::fabs(n) > zone && zone < 1.0) v = std::copysign((std::fabs(n) - zone) / (1.0 - zone), n);
      const double centre = (static_cast<double>(min) + max) / 2.0, half = (static_cast<double>(max) - min) / 2.0;
      return static_cast<LONG>(
          std::clamp(std::lround(centre + v * half), static_cast<long>(min), static_cast<long>(max)));
    }
  };

  NativePad* const native_;
  const PadDescription description_;
  Axis axes_[AxisCount];
  std::vector<Effect*> effects_;
  bool formatted_ = false;
  bool acquired_ = false;
};

HRESULT Effect::SetParameters(const DIEFFECT* effect, DWORD flags) {
  if (effect == nullptr || effect->dwSize != sizeof(DIEFFECT) || flags != DIEP_TYPESPECIFICPARAMS) {
    return DIERR_INVALIDPARAM;
  }
  if (device_ == nullptr) return DIERR_INPUTLOST;
  DWORD magnitude = 0;
  if (sine_) {
    if (effect->cbTypeSpecificParams != sizeof(DIPERIODIC) || effect->lpvTypeSpecificParams == nullptr) {
      return DIERR_INVALIDPARAM;
    }
    magnitude = static_cast<const DIPERIODIC*>(effect->lpvTypeSpecificParams)->dwMagnitude;
  } else {
    if (effect->cbTypeSpecificParams != sizeof(DICONSTANTFORCE) || effect->lpvTypeSpecificParams == nullptr) {
      return DIERR_INVALIDPARAM;
    }
    magnitude =
        static_cast<DWORD>(std::abs(static_cast<const DICONSTANTFORCE*>(effect->lpvTypeSpecificParams)->lMagnitude));
  }
  device_->Note(std::string(name_) + ".SetParameters");
  return PlatformSetPadEffectMagnitude(native_, std::min<DWORD>(magnitude, DI_FFNOMINALMAX)) ? DI_OK : E_FAIL;
}

HRESULT Effect::Start(DWORD, DWORD) {
  if (device_ == nullptr) return DIERR_INPUTLOST;
  device_->Note(std::string(name_) + ".Start");
  return PlatformStartPadEffect(native_) ? DI_OK : E_FAIL;
}

HRESULT Effect::Stop() {
  if (device_ == nullptr) return DIERR_INPUTLOST;
  device_->Note(std::string(name_) + ".Stop");
  return PlatformStopPadEffect(native_) ? DI_OK : E_FAIL;
}

ULONG Effect::Release() {
  if (device_ != nullptr) {
    device_->Note(std::string(name_) + ".Release");
    device_->Forget(this);
    PlatformDestroyPadEffect(native_);
  }
  --liveObjects;
  delete this;
  return 0;
}

}  // namespace

bool IsJoystickInstance(const GUID& instance) { return instance.Data1 == JoystickInstanceTag; }

HRESULT EnumerateJoysticks(DWORD type, LPDIENUMDEVICESCALLBACKA callback, void* context, DWORD flags) {
  if (callback == nullptr || (flags & ~DIEDFL_ATTACHEDONLY) != 0) return DIERR_INVALIDPARAM;
  if (type != DIDEVTYPE_JOYSTICK) return DI_OK;  // keyboards and mice are not listed here
  for (const PadDescription& pad : PlatformPads()) {
    DIDEVICEINSTANCEA info{};
    info.dwSize = sizeof info;
    info.guidInstance = info.guidProduct = InstanceOf(pad.id);
    info.dwDevType = DIDEVTYPE_JOYSTICK;
    CopyName(info.tszInstanceName, pad.instanceName);
    CopyName(info.tszProductName, pad.productName);
    if (callback(&info, context) == DIENUM_STOP) break;
  }
  return DI_OK;
}

HRESULT CreateJoystick(const GUID& instance, IDirectInputDevice** result) {
  *result = nullptr;
  PadDescription description{};
  if (!IsJoystickInstance(instance) || !Describe(IdOf(instance), &description) || description.faults.create) {
    return DIERR_DEVICENOTREG;
  }
  NativePad* native = PlatformOpenPad(description.id);
  if (native == nullptr) return DIERR_DEVICENOTREG;
  *result = new (std::nothrow) Joystick(native, description);
  if (*result == nullptr) {
    PlatformClosePad(native);
    return E_FAIL;
  }
  return DI_OK;
}

int LiveJoystickObjects() { return liveObjects; }

}  // namespace dinput

const DIDATAFORMAT c_dfDIJoystick{sizeof(DIDATAFORMAT), 16, 1, sizeof(DIJOYSTATE), 44};

// The multimedia interface numbers the attached pads from 0 in the system's order; its axes are
// X, Y, Z, R, U, V in the pad's own order.
MMRESULT joyGetDevCapsA(UINT id, JOYCAPSA* caps, UINT size) {
  if (caps == nullptr || size != sizeof(JOYCAPSA)) return JOYERR_PARMS;
  const std::vector<PadDescription> pads = PlatformPads();
  if (id >= pads.size()) return id < 16 ? JOYERR_UNPLUGGED : JOYERR_PARMS;
  const PadDescription& pad = pads[id];
  *caps = JOYCAPSA{};
  std::snprintf(caps->szPname, sizeof caps->szPname, "%s", pad.productName.c_str());
  caps->wXmax = caps->wYmax = caps->wZmax = caps->wRmax = caps->wUmax = caps->wVmax = 65535;
  caps->wNumButtons = static_cast<UINT>(std::min(pad.buttons, 32));
  caps->wMaxButtons = 32;
  caps->wPeriodMin = 10;
  caps->wPeriodMax = 1000;
  caps->wNumAxes = static_cast<UINT>(std::min(pad.axes, 6));
  caps->wMaxAxes = 6;
  const UINT axisCaps[] = {JOYCAPS_HASZ, JOYCAPS_HASR, JOYCAPS_HASU, JOYCAPS_HASV};
  for (int a = 2; a < std::min(pad.axes, 6); ++a) caps->wCaps |= axisCaps[a - 2];
  if (pad.hats > 0) caps->wCaps |= JOYCAPS_HASPOV;
  return JOYERR_NOERROR;
}
