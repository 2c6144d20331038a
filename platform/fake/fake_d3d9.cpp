// The fake platform's Direct3D 9: none by default.
#include "platform/d3d9.h"

IDirect3D9* Direct3DCreate9(UINT) { return nullptr; }
