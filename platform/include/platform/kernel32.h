// Threads, synchronisation, directories, performance counter and process exit.
#pragma once

#include "platform/win32_types.h"

// Large enough for the implementation's recursive mutex; the engine only passes its address.
struct CRITICAL_SECTION {
  alignas(16) unsigned char opaque[64];
};

void InitializeCriticalSection(CRITICAL_SECTION* section);
void DeleteCriticalSection(CRITICAL_SECTION* section);
void EnterCriticalSection(CRITICAL_SECTION* section);
void LeaveCriticalSection(CRITICAL_SECTION* section);

// Security attributes are not supported; pass null. Returns null on failure.
HANDLE CreateEventA(void* attributes, BOOL manualReset, BOOL initialState, const char* name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL CloseHandle(HANDLE handle);

void Sleep(DWORD milliseconds);
DWORD GetCurrentThreadId();

// Returns the length written (without the zero), the size needed when the buffer is too
// small, or 0 on failure.
DWORD GetCurrentDirectoryA(DWORD bufferLength, char* buffer);
BOOL SetCurrentDirectoryA(const char* path);

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);

// Libraries this platform stands in for (e.g. "d3d9.dll"); null when not available.
HMODULE LoadLibraryA(const char* name);
FARPROC GetProcAddress(HMODULE module, const char* name);
BOOL FreeLibrary(HMODULE module);

[[noreturn]] void ExitProcess(UINT exitCode);

// The OEM code page: 932 (Japanese), or 949 on a Korean system.
UINT GetOEMCP();
