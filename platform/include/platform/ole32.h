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

constexpr DWORD CLSCTX_ALL = 0x17;
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);

HRESULT CoInitialize(void* reserved);
// Creates the object of a class this platform serves; *object is null on failure.
HRESULT CoCreateInstance(const CLSID& classId, void* outer, DWORD context, const IID& interfaceId, void** object);
void CoUninitialize();
