// Clock, performance counter, COM, screen device context, processor and debugger output of the
// fake platform.
#include "fake_state.h"
#include "platform/cpu.h"
#include "platform/gdi32.h"
#include "platform/kernel32.h"
#include "platform/ole32.h"
#include "platform/version.h"
#include "platform/winmm.h"
#include "../common/dib_copy.h"
#include "../common/platform_object.h"
#include "../common/platform_contract.h"

#include <cstdio>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

using fake::State;

DWORD timeGetTime() {
  const DWORD now = State().clock;
  State().clock += State().clockStep;
  return now;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (frequency == nullptr) return FALSE;
  frequency->QuadPart = State().perfFrequency;
  return State().perfFrequency != 0 ? TRUE : FALSE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (count == nullptr || State().perfFrequency == 0) return FALSE;
  count->QuadPart = State().perfCount;
  State().perfCount += State().perfStep;
  return TRUE;
}

HRESULT CoInitialize(void* reserved) {
  fake::Record("CoInitialize");
  if (reserved != nullptr || fake::Fails(fake::Failure::CoInitialize)) return E_FAIL;
  return State().comDepth++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  fake::Record("CoUninitialize");
  if (State().comDepth > 0) --State().comDepth;
}

bool PlatformHasLibrary(const char*) { return !fake::Fails(fake::Failure::LoadD3d9); }

int PlatformDesktopDepth() { return State().desktopDepth; }
int PlatformDesktopDpi() { return State().desktopDpi; }

// The client area is the presented frame; a copy counts as one present.
bool PlatformOpenWindowCanvas(Window&, Canvas* canvas) {
  if (fake::Fails(fake::Failure::WindowDC)) return false;
  fake::PresentedFrame& frame = State().presented;
  *canvas = {frame.pixels.data(), frame.width, frame.height, frame.width};
  return true;
}

void PlatformCloseWindowCanvas(Window&, const RECT& destination, bool stretched) {
  fake::PresentedFrame& frame = State().presented;
  ++frame.presents;
  frame.stretchedPresents += stretched ? 1 : 0;
  frame.lastX = destination.left;
  frame.lastY = destination.top;
  frame.lastWidth = destination.right - destination.left;
  frame.lastHeight = destination.bottom - destination.top;
  frame.times.push_back(State().clock);
}

bool CpuIdAvailable() {
#if defined(__x86_64__) || defined(__i386__)
  if (State().realCpu) return __get_cpuid_max(0, nullptr) != 0;
#endif
  return !State().realCpu && State().cpuAvailable;
}

namespace {

constexpr std::uint32_t TimeStampCounterBit = 1u << 4;

// Four bytes of a text, zero past its end.
std::uint32_t TextWord(const std::string& text, std::size_t at) {
  std::uint32_t word = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const std::size_t n = at + i;
    if (n < text.size()) word |= static_cast<std::uint32_t>(static_cast<unsigned char>(text[n])) << (8 * i);
  }
  return word;
}

void FakeCpuId(std::uint32_t leaf, std::uint32_t registers[4]) {
  const fake::FakeState& s = State();
  if (!s.cpuAvailable) return;
  if (leaf == 0) {
    registers[0] = 1;
    registers[1] = TextWord(s.cpuVendor, 0);
    registers[3] = TextWord(s.cpuVendor, 4);
    registers[2] = TextWord(s.cpuVendor, 8);
  } else if (leaf == 1) {
    registers[3] = s.leaf1Edx;
  } else if (leaf == 0x80000000u) {
    registers[0] = s.cpuBrand.empty() ? 0x80000000u : 0x80000004u;
  } else if (leaf >= 0x80000002u && leaf <= 0x80000004u && !s.cpuBrand.empty()) {
    const std::size_t base = (leaf - 0x80000002u) * 16;
    for (std::size_t r = 0; r < 4; ++r) registers[r] = TextWord(s.cpuBrand, base + 4 * r);
  }
}

}  // namespace

void CpuId(std::uint32_t leaf, std::uint32_t registers[4]) {
  registers[0] = registers[1] = registers[2] = registers[3] = 0;
  if (State().realCpu) {
#if defined(__x86_64__) || defined(__i386__)
    if (leaf <= static_cast<std::uint32_t>(__get_cpuid_max(leaf & 0x80000000u, nullptr))) {
      __cpuid_count(leaf, 0, registers[0], registers[1], registers[2], registers[3]);
    }
#endif
    if (leaf == 1) registers[3] &= ~TimeStampCounterBit;
    return;
  }
  FakeCpuId(leaf, registers);
}

BOOL GetVersionExA(OSVERSIONINFOA* info) {
  if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) return FALSE;
  const fake::OsVersion& v = State().osVersion;
  *info = OSVERSIONINFOA{};
  info->dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  info->dwPlatformId = v.platformId;
  info->dwMajorVersion = v.major;
  info->dwMinorVersion = v.minor;
  info->dwBuildNumber = v.build;
  std::snprintf(info->szCSDVersion, sizeof info->szCSDVersion, "%s", v.servicePack.c_str());
  std::snprintf(info->szSystemName, sizeof info->szSystemName, "%s", v.systemName.c_str());
  return TRUE;
}

void GlobalMemoryStatus(MEMORYSTATUS* status) {
  if (status == nullptr) return;
  *status = MEMORYSTATUS{};
  status->dwLength = sizeof *status;
  status->dwTotalPhys = static_cast<std::size_t>(State().totalMemory);
  status->dwAvailPhys = static_cast<std::size_t>(State().availableMemory);
}

bool PlatformDirectDrawAvailable() { return !fake::Fails(fake::Failure::CreateDirectDraw); }
bool PlatformDirectDrawInitialize() { return !fake::Fails(fake::Failure::InitDirectDraw); }
bool PlatformInVerticalBlank() { return false; }
// A wait is counted; without a refresh rate the fake display refreshes whenever asked, with one
// the clock moves on to the start of the next refresh.
void PlatformWaitForVerticalBlank() {
  ++State().verticalBlankWaits;
  const std::uint64_t rate = static_cast<std::uint64_t>(State().refreshRate);
  if (rate == 0) return;
  const std::uint64_t next = static_cast<std::uint64_t>(fake::RefreshAt(State().clock)) + 1;
  State().clock = static_cast<DWORD>((next * 1000 + rate - 1) / rate);
}

std::uint64_t ReadTimeStampCounter() {
  const std::uint64_t now = State().timeStampCounter;
  State().timeStampCounter += State().timeStampStep;
  return now;
}

void OutputDebugStringA(const char* text) {
  if (text != nullptr) State().debugOutput += text;
}

UINT GetOEMCP() { return State().oemCodePage; }
