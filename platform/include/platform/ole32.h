#pragma once

#include "platform/win32_types.h"

HRESULT CoInitialize(void* reserved);
void CoUninitialize();
