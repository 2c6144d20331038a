// The real platform's pieces that need no window.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/ddraw.h"
#include "platform/kernel32.h"
#include "platform/winmm.h"

namespace {

// A present waits for the display's next refresh: the loop can never run faster than the
// display, whatever the driver (Xvfb has no vertical-blank interrupt at all).
TEST(SdlPlatform, VerticalBlankWaitsPaceToTheRefreshRate) {
  void* object = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_DirectDraw7, nullptr, CLSCTX_ALL, IID_IDirectDraw7, &object), S_OK);
  auto* directDraw = static_cast<IDirectDraw7*>(object);
  ASSERT_EQ(directDraw->Initialize(nullptr), S_OK);
  constexpr int Waits = 20;
  directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < Waits; ++i) directDraw->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  directDraw->Release();
  // SDL video is not started here, so the rate is the 60 Hz default. Waits end on refresh
  // ticks, but the first may wake late: only the whole periods between them are certain.
  EXPECT_GE(seconds, (Waits - 1) / 60.0);
}

TEST(SdlPlatform, MultimediaTimerAndPerformanceCounterMoveForward) {
  LARGE_INTEGER frequency, a, b;
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  EXPECT_EQ(frequency.QuadPart, 1000000000);
  ASSERT_TRUE(QueryPerformanceCounter(&a));
  const DWORD before = timeGetTime();
  Sleep(5);
  ASSERT_TRUE(QueryPerformanceCounter(&b));
  EXPECT_GE(b.QuadPart - a.QuadPart, 5000000);
  EXPECT_GE(timeGetTime() - before, 4u);
}

TEST(SdlPlatform, OnlyTheKnownLibrariesLoad) {
  HMODULE d3d9 = LoadLibraryA("D3D9.DLL");
  ASSERT_NE(d3d9, nullptr);
  EXPECT_NE(GetProcAddress(d3d9, "Direct3DCreate9"), nullptr);
  EXPECT_EQ(GetProcAddress(d3d9, "Direct3DCreate9Ex"), nullptr);
  EXPECT_TRUE(FreeLibrary(d3d9));
  HMODULE dsound = LoadLibraryA("DSOUND.DLL");
  ASSERT_NE(dsound, nullptr);
  EXPECT_NE(GetProcAddress(dsound, "DirectSoundEnumerateA"), nullptr);
  EXPECT_EQ(GetProcAddress(dsound, "Direct3DCreate9"), nullptr);
  EXPECT_TRUE(FreeLibrary(dsound));
  EXPECT_EQ(LoadLibraryA("winmm.dll"), nullptr);
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
}

}  // namespace
