#pragma once

#include "platform/win32_types.h"

struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
};

inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i) {
    if (a.Data4[i] != b.Data4[i]) return false;
  }
  return true;
}

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);

HRESULT CoInitialize(void* reserved);
void CoUninitialize();
// Creates the object of a class; the classes this platform serves are listed with their
// interfaces (DirectInput: platform/dinput.h).
HRESULT CoCreateInstance(const GUID& classId, void* outer, DWORD context, const GUID& interfaceId, void** object);
