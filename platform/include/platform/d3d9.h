// Direct3D 9: the library is present, but no device is served yet, so Direct3DCreate9 yields
// no object and the engine takes its software back-end.
#pragma once

#include "platform/win32_types.h"

class IDirect3D9;

constexpr UINT D3D_SDK_VERSION = 32;
using Direct3DCreate9Function = IDirect3D9* (*)(UINT sdkVersion);
