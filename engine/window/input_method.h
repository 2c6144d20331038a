// The input-method messages: composition text, result text put into CharBuffer, candidates
// and open status.
#pragma once

#include "platform/user32.h"

LRESULT ImeMessageHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
