#pragma once

#include "platform/win32_types.h"

struct GUID {
  DWORD Data1;
  WORD Data2, Data3;
  BYTE Data4[8];
};
using CLSID = GUID;
using IID = GUID;
using ULONG = std::uint32_t;

inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i) {
    if (a.Data4[i] != b.Data4[i]) return false;
  }
  return true;
}

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_ALL = 0x17;
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);

HRESULT CoInitialize(void* reserved);
// Creates the object of a class this platform serves (DirectDraw: platform/ddraw.h,
// DirectInput: platform/dinput.h); *object is null on failure.
HRESULT CoCreateInstance(const CLSID& classId, void* outer, DWORD context, const IID& interfaceId, void** object);
void CoUninitialize();
