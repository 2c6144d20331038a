// No Direct3D 9 device is served here yet: the engine takes its software back-end.
#include "platform/d3d9.h"

IDirect3D9* Direct3DCreate9(UINT) { return nullptr; }
