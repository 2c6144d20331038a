#include "fake_d3d9.h"
#include "fake_state.h"
#include "../common/dinput_standin.h"
#include "../common/window_system.h"

namespace fake {

FakeState& State() {
  static FakeState state;
  return state;
}

namespace {
void SyncDeviceFaults() {
  dinput::DeviceFaults& f = dinput::Faults();
  f.directInput7 = Fails(Failure::DirectInput7);
  f.directInput8 = Fails(Failure::DirectInput8);
  f.initialize = Fails(Failure::DirectInputInitialize);
  f.keyboardDevice = Fails(Failure::KeyboardDevice);
  f.mouseDevice = Fails(Failure::MouseDevice);
  f.dataFormat = Fails(Failure::DeviceDataFormat);
  f.cooperativeLevel = Fails(Failure::DeviceCooperativeLevel);
  f.eventNotification = Fails(Failure::KeyboardEventNotification);
  f.acquire = Fails(Failure::DeviceAcquire);
  f.stateRead = Fails(Failure::DeviceStateRead);
  SyncSoundFaults();
}
}  // namespace

void ResetPlatform() {
  windows::Reset();
  State() = FakeState{};
  SyncDeviceFaults();
  ResetD3d();
}

void SetClock(DWORD milliseconds) { State().clock = milliseconds; }
void AdvanceClock(DWORD milliseconds) { State().clock += milliseconds; }

void SetClockStep(DWORD milliseconds) { State().clockStep = milliseconds; }

void SetPerformanceCounter(LONGLONG frequency, LONGLONG count) {
  State().perfFrequency = frequency;
  State().perfCount = count;
}

void SetPerformanceCounterStep(LONGLONG ticks) { State().perfStep = ticks; }
void SetTimeStampCounter(std::uint64_t ticks, std::uint64_t stepPerRead) {
  State().timeStampCounter = ticks;
  State().timeStampStep = stepPerRead;
}

void SetTimerCaps(UINT periodMin, UINT periodMax) {
  State().timerPeriodMin = periodMin;
  State().timerPeriodMax = periodMax;
}

const std::vector<UINT>& RaisedTimerPeriods() { return State().raisedPeriods; }

const std::string& DebugOutput() { return State().debugOutput; }
void ClearDebugOutput() { State().debugOutput.clear(); }

void SetDesktopDepth(int bitsPerPixel) { State().desktopDepth = bitsPerPixel; }
void SetDesktopDpi(int dotsPerInch) { State().desktopDpi = dotsPerInch; }

void SetDesktopSize(int width, int height) {
  State().desktopWidth = width;
  State().desktopHeight = height;
}

void AddDisplayMode(int width, int height, int bitsPerPixel, int frequency) {
  State().modes.push_back(Mode{width, height, bitsPerPixel, frequency});
}

void ClearDisplayModes() { State().modes.clear(); }

void LastDisplayChange(int* width, int* height) {
  *width = State().changedWidth;
  *height = State().changedHeight;
}

void SetCpu(bool available, std::uint32_t leaf1Edx) {
  State().realCpu = false;
  State().cpuAvailable = available;
  State().leaf1Edx = leaf1Edx;
}

void UseRealCpu() { State().realCpu = true; }

void SetCpuTexts(const std::string& vendor, const std::string& brand) {
  State().cpuVendor = vendor;
  State().cpuBrand = brand;
}

void SetOsVersion(const OsVersion& version) { State().osVersion = version; }

void SetFailure(Failure which, bool fail) {
  State().failures[static_cast<int>(which)] = fail;
  SyncDeviceFaults();
}

int ComDepth() { return State().comDepth; }
const std::string& Journal() { return State().journal; }
const std::string& Stacking() { return State().stacking; }
void ClearStacking() { State().stacking.clear(); }

void SetAnotherInstance(bool running) { State().anotherInstance = running; }
void SetOemCodePage(unsigned codePage) { State().oemCodePage = codePage; }

void SetMemory(std::uint64_t totalBytes, std::uint64_t availableBytes) {
  State().totalMemory = totalBytes;
  State().availableMemory = availableBytes;
}

void Send(const InputEvent& event) { Apply(event); }

void Schedule(int pass, const InputEvent& event) { State().script.push_back(ScheduledEvent{pass, event}); }

int CurrentPass() { return State().pass; }
void SetIdlePassTime(DWORD milliseconds) { State().idlePassTime = milliseconds; }

void LoseInputDevices() { dinput::LoseDevices(); }

void SetWindowsKeyByte(int virtualKey, std::uint8_t value) { windows::SetVirtualKeyByte(virtualKey, value); }

int LiveInputObjects() { return dinput::LiveObjects(); }

bool ScreenSaverEnabled() { return State().screenSaver; }
bool CursorVisible() { return State().cursorVisible; }
int CursorCount() { return windows::CursorCount(); }
int NativeWindowCount() { return State().nativeWindows; }
std::string NativeTitle() { return State().nativeTitle; }

const PresentedFrame& Presented() { return State().presented; }

void SetClientSize(int width, int height) {
  PresentedFrame& frame = State().presented;
  frame.width = width;
  frame.height = height;
  frame.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
}

int VerticalBlankWaits() { return State().verticalBlankWaits; }

void SetRefreshRate(int hertz) { State().refreshRate = hertz > 0 ? hertz : 0; }

int RefreshAt(DWORD milliseconds) {
  const int rate = State().refreshRate;
  return rate > 0 ? static_cast<int>(static_cast<std::uint64_t>(milliseconds) * static_cast<std::uint64_t>(rate) / 1000)
                  : 0;
}

}  // namespace fake
