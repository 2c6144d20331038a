// The operating system's version, as GetVersionExA reports it.
#pragma once

#include "platform/win32_types.h"

constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;
// Not a Windows value: a system that gives its own name in szSystemName.
constexpr DWORD VER_PLATFORM_OTHER = 0x100;

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char szCSDVersion[128];  // the service-pack text, in the system code page
  // Where the platform is VER_PLATFORM_OTHER: the system's name and release (empty otherwise).
  char szSystemName[128];
};

// dwOSVersionInfoSize must be set to the record's size; FALSE otherwise.
BOOL GetVersionExA(OSVERSIONINFOA* info);
