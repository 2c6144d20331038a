// The fake game controllers: attached, moved and pressed by tests.
#include "../common/joystick_services.h"
#include "../common/platform_contract.h"
#include "../common/window_system.h"
#include "fake_state.h"
#include "platform/kernel32.h"

using fake::State;

struct NativePad {
  std::size_t index;
};
struct NativePadEffect {
  std::size_t pad, slot;
};

namespace {

fake::FakePad* PadAt(std::size_t index) {
  return index < State().pads.size() && State().pads[index].attached ? &State().pads[index] : nullptr;
}

}  // namespace

std::vector<PadDescription> PlatformPads() {
  std::vector<PadDescription> list;
  for (std::size_t i = 0; i < State().pads.size(); ++i) {
    if (!State().pads[i].attached) continue;
    const fake::Pad& p = State().pads[i].pad;
    PadFaults faults;
    faults.create = p.failCreate;
    faults.dataFormat = p.failDataFormat;
    faults.cooperativeLevel = p.failCooperativeLevel;
    faults.rangeX = p.failRangeX;
    faults.rangeY = p.failRangeY;
    faults.deadZoneX = p.failDeadZoneX;
    faults.deadZoneY = p.failDeadZoneY;
    faults.eventNotification = p.failEventNotification;
    faults.acquire = p.failAcquire;
    list.push_back({static_cast<std::uint32_t>(i + 1), p.instanceName, p.productName, p.axes, p.buttons, p.hats,
                    p.forceFeedback, faults});
  }
  return list;
}

NativePad* PlatformOpenPad(std::uint32_t id) {
  fake::FakePad* pad = PadAt(id - 1);
  if (id == 0 || pad == nullptr) return nullptr;
  ++pad->opens;
  return new NativePad{id - 1u};
}

void PlatformClosePad(NativePad* native) {
  if (native == nullptr) return;
  if (fake::FakePad* pad = PadAt(native->index)) {
    --pad->opens;
    pad->event = nullptr;
  }
  delete native;
}

bool PlatformReadPad(NativePad* native, PadReading* reading) {
  const fake::FakePad* pad = PadAt(native->index);
  if (pad == nullptr) return false;
  *reading = PadReading{};
  for (int a = 0; a < 8; ++a) reading->axes[a] = pad->axes[a];
  for (int b = 0; b < 32; ++b) reading->buttons[b] = pad->buttons[b] ? 1 : 0;
  for (int h = 0; h < 4; ++h) reading->hats[h] = h < pad->pad.hats ? pad->hats[h] : -1;
  return true;
}

void PlatformNotifyPadChanges(NativePad* native, HANDLE event) {
  if (fake::FakePad* pad = PadAt(native->index)) pad->event = event;
}

NativePadEffect* PlatformCreatePadEffect(NativePad* native, const PadEffectParameters& p) {
  fake::FakePad* pad = PadAt(native->index);
  if (pad == nullptr || !pad->pad.forceFeedback) return nullptr;
  pad->effects.push_back({p.sine, false, p.magnitude, p.period, p.attackTime, p.fadeTime, p.duration, p.gain});
  pad->effectAlive.push_back(true);
  return new NativePadEffect{native->index, pad->effects.size() - 1};
}

namespace {
fake::PadEffect* EffectOf(NativePadEffect* e) {
  fake::FakePad* pad = e != nullptr ? PadAt(e->pad) : nullptr;
  return pad != nullptr && e->slot < pad->effects.size() && pad->effectAlive[e->slot] ? &pad->effects[e->slot]
                                                                                      : nullptr;
}
}  // namespace

bool PlatformStartPadEffect(NativePadEffect* effect) {
  fake::PadEffect* e = EffectOf(effect);
  if (e != nullptr) e->playing = true;
  return e != nullptr;
}

bool PlatformSetPadEffectMagnitude(NativePadEffect* effect, DWORD magnitude) {
  fake::PadEffect* e = EffectOf(effect);
  if (e != nullptr) e->magnitude = magnitude;
  return e != nullptr;
}

bool PlatformStopPadEffect(NativePadEffect* effect) {
  fake::PadEffect* e = EffectOf(effect);
  if (e != nullptr) e->playing = false;
  return e != nullptr;
}

void PlatformDestroyPadEffect(NativePadEffect* effect) {
  if (effect == nullptr) return;
  if (EffectOf(effect) != nullptr) State().pads[effect->pad].effectAlive[effect->slot] = false;
  delete effect;
}

void PlatformNotePadCall(const std::string& call) {
  std::string& calls = State().padCalls;
  if (!calls.empty()) calls += ' ';
  calls += call;
}

namespace fake {

int AttachPad(const Pad& pad) {
  FakePad record;
  record.pad = pad;
  State().pads.push_back(record);
  windows::QueueDeviceChange();
  return static_cast<int>(State().pads.size()) - 1;
}

void DetachPad(int pad) {
  FakePad* p = PadAt(static_cast<std::size_t>(pad));
  if (p == nullptr) return;
  p->attached = false;
  windows::QueueDeviceChange();
}

void SetPadHat(int pad, int hat, int direction) {
  FakePad* p = PadAt(static_cast<std::size_t>(pad));
  if (p == nullptr || hat < 0 || hat >= 4 || p->hats[hat] == direction) return;
  p->hats[hat] = direction;
  if (p->event != nullptr) SetEvent(p->event);
}

void SetPadAxis(int pad, int axis, int value) {
  FakePad* p = PadAt(static_cast<std::size_t>(pad));
  if (p == nullptr || axis < 0 || axis >= 8 || p->axes[axis] == value) return;
  p->axes[axis] = value;
  if (p->event != nullptr) SetEvent(p->event);
}

void SetPadButton(int pad, int button, bool held) {
  FakePad* p = PadAt(static_cast<std::size_t>(pad));
  if (p == nullptr || button < 0 || button >= 32 || p->buttons[button] == held) return;
  p->buttons[button] = held;
  if (p->event != nullptr) SetEvent(p->event);
}

const std::string& PadCalls() { return State().padCalls; }

std::vector<PadEffect> PadEffects(int pad) {
  std::vector<PadEffect> alive;
  if (const FakePad* p = PadAt(static_cast<std::size_t>(pad))) {
    for (std::size_t i = 0; i < p->effects.size(); ++i) {
      if (p->effectAlive[i]) alive.push_back(p->effects[i]);
    }
  }
  return alive;
}

bool PadOpen(int pad) {
  const FakePad* p = PadAt(static_cast<std::size_t>(pad));
  return p != nullptr && p->opens > 0;
}

}  // namespace fake
