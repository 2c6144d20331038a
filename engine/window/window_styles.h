// The main window's styles in each mode (the first row of the style table; no other row is used).
#pragma once

#include "platform/user32.h"

constexpr DWORD WindowedStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD WindowedExStyle = WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE;
constexpr DWORD FullScreenStyle = WS_POPUP;
constexpr DWORD FullScreenExStyle = WS_EX_TOPMOST;
