// Clock, performance counter, COM, screen device context, processor and debugger output of the
// fake platform.
#include "fake_state.h"
#include "platform/cpu.h"
#include "platform/gdi32.h"
#include "platform/kernel32.h"
#include "platform/ole32.h"
#include "platform/winmm.h"
#include "../common/dib_copy.h"
#include "../common/platform_object.h"
#include "../common/platform_services.h"

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
  if (reserved != nullptr || fake::Fails(fake::Failure::CoInitialize)) return E_FAIL;
  return State().comDepth++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  if (State().comDepth > 0) --State().comDepth;
}

namespace {
struct DeviceContext final : PlatformObject {
  DeviceContext() : PlatformObject(PlatformObjectKind::DeviceContext) {}
};
DeviceContext screenDC;
DeviceContext windowDC;

bool CopyToClient(int x, int y, int width, int height, int sourceX, int sourceY, int sourceWidth, int sourceHeight,
                  const void* bits, const BITMAPINFO* info) {
  fake::PresentedFrame& frame = State().presented;
  const Canvas canvas{frame.pixels.data(), frame.width, frame.height, frame.width};
  if (!CopyDibToCanvas(canvas, x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight, bits, info)) {
    return false;
  }
  ++frame.presents;
  frame.lastX = x;
  frame.lastY = y;
  frame.lastWidth = width;
  frame.lastHeight = height;
  return true;
}
}  // namespace

bool PlatformHasLibrary(const char*) { return !fake::Fails(fake::Failure::LoadD3d9); }

HDC GetDC(HWND window) {
  if (window == nullptr) return &screenDC;
  return fake::Fails(fake::Failure::WindowDC) ? nullptr : &windowDC;
}
int ReleaseDC(HWND, HDC context) { return context == &screenDC || context == &windowDC ? 1 : 0; }

int SetDIBitsToDevice(HDC context, int x, int y, DWORD width, DWORD height, int sourceX, int sourceY, UINT,
                      UINT lines, const void* bits, const BITMAPINFO* info, UINT) {
  if (context != &windowDC) return 0;
  const int w = static_cast<int>(width), h = static_cast<int>(height);
  return CopyToClient(x, y, w, h, sourceX, sourceY, w, h, bits, info) ? static_cast<int>(lines) : 0;
}

int StretchDIBits(HDC context, int x, int y, int width, int height, int sourceX, int sourceY, int sourceWidth,
                  int sourceHeight, const void* bits, const BITMAPINFO* info, UINT, DWORD) {
  if (context != &windowDC) return 0;
  if (!CopyToClient(x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight, bits, info)) return 0;
  ++State().presented.stretchedPresents;
  return height;
}

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

bool PlatformDirectDrawAvailable() { return !fake::Fails(fake::Failure::CreateDirectDraw); }
bool PlatformDirectDrawInitialize() { return !fake::Fails(fake::Failure::InitDirectDraw); }
bool PlatformInVerticalBlank() { return false; }
// The fake display refreshes whenever asked: a wait is counted and returns at once.
void PlatformWaitForVerticalBlank() { ++State().verticalBlankWaits; }

std::uint64_t ReadTimeStampCounter() {
  const std::uint64_t now = State().timeStampCounter;
  State().timeStampCounter += State().timeStampStep;
  return now;
}

void OutputDebugStringA(const char* text) {
  if (text != nullptr) State().debugOutput += text;
}
