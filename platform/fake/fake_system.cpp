// Clock, performance counter, COM, screen device context and processor of the fake platform.
#include "fake_state.h"
#include "platform/cpu.h"
#include "platform/gdi32.h"
#include "platform/kernel32.h"
#include "platform/ole32.h"
#include "platform/winmm.h"
#include "../common/dinput_standin.h"
#include "../common/platform_object.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

using fake::State;

DWORD timeGetTime() { return State().clock; }

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (frequency == nullptr) return FALSE;
  frequency->QuadPart = State().perfFrequency;
  return State().perfFrequency != 0 ? TRUE : FALSE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (count == nullptr || State().perfFrequency == 0) return FALSE;
  count->QuadPart = State().perfCount;
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

namespace {
struct ScreenDC final : PlatformObject {
  ScreenDC() : PlatformObject(PlatformObjectKind::DeviceContext) {}
};
ScreenDC screenDC;
}  // namespace

HDC GetDC(HWND window) { return window == nullptr ? &screenDC : nullptr; }
int ReleaseDC(HWND, HDC context) { return context == &screenDC ? 1 : 0; }

int GetDeviceCaps(HDC context, int index) {
  if (context != &screenDC) return 0;
  if (index == BITSPIXEL) return State().desktopDepth;
  if (index == PLANES) return 1;
  return 0;
}

bool CpuIdAvailable() {
#if defined(__x86_64__) || defined(__i386__)
  if (State().realCpu) return __get_cpuid_max(0, nullptr) != 0;
#endif
  return !State().realCpu && State().cpuAvailable;
}

void CpuId(std::uint32_t leaf, std::uint32_t registers[4]) {
  registers[0] = registers[1] = registers[2] = registers[3] = 0;
  if (State().realCpu) {
#if defined(__x86_64__) || defined(__i386__)
    if (leaf <= __get_cpuid_max(leaf & 0x80000000u, nullptr)) {
      __cpuid_count(leaf, 0, registers[0], registers[1], registers[2], registers[3]);
    }
#endif
    return;
  }
  if (State().cpuAvailable && leaf == 1) registers[3] = State().leaf1Edx;
}

void GlobalMemoryStatus(MEMORYSTATUS* status) {
  if (status == nullptr) return;
  *status = MEMORYSTATUS{};
  status->dwLength = sizeof *status;
  status->dwTotalPhys = static_cast<std::size_t>(State().totalMemory);
  status->dwAvailPhys = static_cast<std::size_t>(State().availableMemory);
}

void OutputDebugStringA(const char* text) {
  if (text != nullptr) State().debugOutput += text;
}

UINT GetOEMCP() { return State().oemCodePage; }

HRESULT CoCreateInstance(const GUID& classId, void* outer, DWORD context, const GUID& interfaceId, void** object) {
  fake::Record("CoCreateInstance");
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr || context != CLSCTX_INPROC_SERVER) return REGDB_E_CLASSNOTREG;
  DWORD version = 0;
  if (classId == CLSID_DirectInput && interfaceId == IID_IDirectInput7A) {
    if (fake::Fails(fake::Failure::DirectInput7)) return REGDB_E_CLASSNOTREG;
    version = 0x700;
  } else if (classId == CLSID_DirectInput8 && interfaceId == IID_IDirectInput8A) {
    if (fake::Fails(fake::Failure::DirectInput8)) return REGDB_E_CLASSNOTREG;
    version = 0x800;
  } else {
    return REGDB_E_CLASSNOTREG;
  }
  *object = static_cast<IDirectInput*>(dinput::CreateObject(version));
  return *object != nullptr ? S_OK : E_FAIL;
}
