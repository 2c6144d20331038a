// The multimedia timer: milliseconds since the system started, wrapping at 2^32.
#pragma once

#include "platform/win32_types.h"

DWORD timeGetTime();
