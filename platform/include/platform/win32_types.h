// The Windows scalar and handle types the engine is written against. LONG and DWORD are 32-bit
// on every target; handles are opaque pointers owned by the platform implementation.
#pragma once

#include <cstddef>
#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = unsigned int;
using ULONG = std::uint32_t;
using LONGLONG = std::int64_t;
using HRESULT = std::int32_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

struct PlatformObject;  // what every handle points at; defined by the implementation
using HANDLE = PlatformObject*;
using HWND = PlatformObject*;
using HDC = PlatformObject*;
using HMODULE = PlatformObject*;
using FARPROC = void (*)();

constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);

inline bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
inline bool FAILED(HRESULT hr) { return hr < 0; }

struct POINT {
  LONG x, y;
};

struct RECT {
  LONG left, top, right, bottom;
};

union LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  } u;
  LONGLONG QuadPart;
};
