// Game controllers through SDL's joystick and haptic subsystems. A pad's id is its SDL instance
// id plus one. SDL reports each change of a pad's input as an event while it pumps its events;
// a watch on the event queue sets the pad's state-change event from there.
#include <SDL.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "../common/joystick_services.h"
#include "../common/platform_contract.h"
#include "code_page.h"
#include "platform/kernel32.h"

struct NativePad {
  SDL_Joystick* joystick;
  SDL_Haptic* haptic;
  SDL_JoystickID instance;
  HANDLE event;
};

struct NativePadEffect {
  SDL_Haptic* haptic;
  int id;
  bool sine;
  SDL_HapticEffect made;
};

namespace {

std::mutex padsMutex;
std::vector<NativePad*> openPads;  // guarded by padsMutex: the event watch reads it

int WatchPadEvents(void*, SDL_Event* event) {
  SDL_JoystickID which = -1;
  switch (event->type) {
    case SDL_JOYAXISMOTION:
      which = event->jaxis.which;
      break;
    case SDL_JOYHATMOTION:
      which = event->jhat.which;
      break;
    case SDL_JOYBALLMOTION:
      which = event->jball.which;
      break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
      which = event->jbutton.which;
      break;
    default:
      return 1;
  }
  std::lock_guard<std::mutex> hold(padsMutex);
  for (NativePad* pad : openPads) {
    if (pad->instance == which && pad->event != nullptr) SetEvent(pad->event);
  }
  return 1;
}

// The joystick subsystem stays up once started: SDL_Quit at exit ends it with the rest. SDL
// would drop a pad's input while no window of ours has the focus; the engine decides that itself,
// through the cooperative level it gives the pad on each activation change.
bool StartJoysticks() {
  static bool started = false, watching = false;
  if (!started) {
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    started = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
  }
  if (started && !watching) {
    SDL_AddEventWatch(&WatchPadEvents, nullptr);
    watching = true;
  }
  return started;
}

bool StartHaptics() {
  static bool started = false, tried = false;
  if (!tried) {
    tried = true;
    started = SDL_InitSubSystem(SDL_INIT_HAPTIC) == 0;
  }
  return started;
}

int IndexOf(SDL_JoystickID instance) {
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    if (SDL_JoystickGetDeviceInstanceID(i) == instance) return i;
  }
  return -1;
}

std::int32_t HatDirection(Uint8 hat) {
  switch (hat) {
    case SDL_HAT_UP:
      return 0;
    case SDL_HAT_RIGHTUP:
      return 4500;
    case SDL_HAT_RIGHT:
      return 9000;
    case SDL_HAT_RIGHTDOWN:
      return 13500;
    case SDL_HAT_DOWN:
      return 18000;
    case SDL_HAT_LEFTDOWN:
      return 22500;
    case SDL_HAT_LEFT:
      return 27000;
    case SDL_HAT_LEFTUP:
      return 31500;
    default:
      return -1;
  }
}

// DirectInput's 0-10000 on SDL's 0-32767.
Sint16 Level(DWORD magnitude) { return static_cast<Sint16>(std::min<DWORD>(magnitude, 10000) * 32767 / 10000); }
Uint16 Milliseconds(DWORD microseconds) { return static_cast<Uint16>(std::min<DWORD>(microseconds / 1000, 32767)); }

}  // namespace

std::vector<PadDescription> PlatformPads() {
  std::vector<PadDescription> pads;
  if (!StartJoysticks()) return pads;
  SDL_JoystickUpdate();
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    SDL_Joystick* joystick = SDL_JoystickOpen(i);
    if (joystick == nullptr) continue;
    const char* name = SDL_JoystickName(joystick);
    const std::string text = Utf8ToCodePage(name != nullptr ? name : "");
    PadDescription pad{};
    pad.id = static_cast<std::uint32_t>(SDL_JoystickInstanceID(joystick)) + 1;
    pad.instanceName = text;
    pad.productName = text;
    pad.axes = SDL_JoystickNumAxes(joystick);
    pad.buttons = SDL_JoystickNumButtons(joystick);
    pad.hats = SDL_JoystickNumHats(joystick);
    pad.forceFeedback = StartHaptics() && SDL_JoystickIsHaptic(joystick) == SDL_TRUE;
    pads.push_back(pad);
    SDL_JoystickClose(joystick);
  }
  return pads;
}

NativePad* PlatformOpenPad(std::uint32_t id) {
  if (id == 0 || !StartJoysticks()) return nullptr;
  const int index = IndexOf(static_cast<SDL_JoystickID>(id - 1));
  SDL_Joystick* joystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
  if (joystick == nullptr) return nullptr;
  SDL_Haptic* haptic = nullptr;
  if (StartHaptics() && SDL_JoystickIsHaptic(joystick) == SDL_TRUE) haptic = SDL_HapticOpenFromJoystick(joystick);
  auto* pad = new NativePad{joystick, haptic, static_cast<SDL_JoystickID>(id - 1), nullptr};
  std::lock_guard<std::mutex> hold(padsMutex);
  openPads.push_back(pad);
  return pad;
}

void PlatformClosePad(NativePad* pad) {
  if (pad == nullptr) return;
  {
    std::lock_guard<std::mutex> hold(padsMutex);
    openPads.erase(std::remove(openPads.begin(), openPads.end(), pad), openPads.end());
  }
  if (pad->haptic != nullptr) SDL_HapticClose(pad->haptic);
  SDL_JoystickClose(pad->joystick);
  delete pad;
}

bool PlatformReadPad(NativePad* pad, PadReading* reading) {
  SDL_JoystickUpdate();
  if (SDL_JoystickGetAttached(pad->joystick) != SDL_TRUE) return false;
  *reading = PadReading{};
  const int axes = std::min(SDL_JoystickNumAxes(pad->joystick), 8);
  for (int a = 0; a < axes; ++a) reading->axes[a] = SDL_JoystickGetAxis(pad->joystick, a);
  const int buttons = std::min(SDL_JoystickNumButtons(pad->joystick), 32);
  for (int b = 0; b < buttons; ++b) reading->buttons[b] = SDL_JoystickGetButton(pad->joystick, b) ? 1 : 0;
  for (int h = 0; h < 4; ++h) {
    reading->hats[h] = h < SDL_JoystickNumHats(pad->joystick) ? HatDirection(SDL_JoystickGetHat(pad->joystick, h)) : -1;
  }
  return true;
}

void PlatformNotifyPadChanges(NativePad* pad, HANDLE event) {
  std::lock_guard<std::mutex> hold(padsMutex);
  pad->event = event;
}

NativePadEffect* PlatformCreatePadEffect(NativePad* pad, const PadEffectParameters& p) {
  if (pad->haptic == nullptr) return nullptr;
  const unsigned int kind = p.sine ? SDL_HAPTIC_SINE : SDL_HAPTIC_CONSTANT;
  if ((SDL_HapticQuery(pad->haptic) & kind) == 0) return nullptr;
  const Uint32 length = p.duration == INFINITE ? SDL_HAPTIC_INFINITY : std::max<Uint32>(p.duration / 1000, 1);
  SDL_HapticEffect effect{};
  if (p.sine) {
    effect.type = SDL_HAPTIC_SINE;
    effect.periodic.direction.type = SDL_HAPTIC_POLAR;
    effect.periodic.length = length;
    effect.periodic.period = Milliseconds(p.period);
    effect.periodic.magnitude = Level(p.magnitude);
    effect.periodic.attack_length = Milliseconds(p.attackTime);
    effect.periodic.fade_length = Milliseconds(p.fadeTime);
  } else {
    effect.type = SDL_HAPTIC_CONSTANT;
    effect.constant.direction.type = SDL_HAPTIC_CARTESIAN;
    effect.constant.length = length;
    effect.constant.level = Level(p.magnitude);
    effect.constant.attack_length = Milliseconds(p.attackTime);
    effect.constant.fade_length = Milliseconds(p.fadeTime);
  }
  const int id = SDL_HapticNewEffect(pad->haptic, &effect);
  if (id < 0) return nullptr;
  if (SDL_HapticQuery(pad->haptic) & SDL_HAPTIC_GAIN) SDL_HapticSetGain(pad->haptic, static_cast<int>(p.gain / 100));
  return new NativePadEffect{pad->haptic, id, p.sine, effect};
}

bool PlatformStartPadEffect(NativePadEffect* effect) { return SDL_HapticRunEffect(effect->haptic, effect->id, 1) == 0; }

bool PlatformSetPadEffectMagnitude(NativePadEffect* effect, DWORD magnitude) {
  SDL_HapticEffect updated{};
  const unsigned int supported = SDL_HapticQuery(effect->haptic);
  // SDL takes the whole effect again; only the level differs from what was made.
  if (effect->sine) {
    if ((supported & SDL_HAPTIC_SINE) == 0) return false;
    updated = effect->made;
    updated.periodic.magnitude = Level(magnitude);
  } else {
    if ((supported & SDL_HAPTIC_CONSTANT) == 0) return false;
    updated = effect->made;
    updated.constant.level = Level(magnitude);
  }
  if (SDL_HapticUpdateEffect(effect->haptic, effect->id, &updated) != 0) return false;
  effect->made = updated;
  return true;
}

bool PlatformStopPadEffect(NativePadEffect* effect) { return SDL_HapticStopEffect(effect->haptic, effect->id) == 0; }

void PlatformDestroyPadEffect(NativePadEffect* effect) {
  if (effect == nullptr) return;
  SDL_HapticDestroyEffect(effect->haptic, effect->id);
  delete effect;
}

void PlatformNotePadCall(const std::string&) {}
