// The input method: composition strings of the text being entered, in the system code page.
#pragma once

#include "platform/user32.h"

using HIMC = PlatformObject*;

constexpr DWORD GCS_COMPSTR = 0x0008;
constexpr DWORD GCS_COMPCLAUSE = 0x0020;
constexpr DWORD GCS_CURSORPOS = 0x0080;
constexpr DWORD GCS_RESULTSTR = 0x0800;
constexpr WPARAM IMN_CLOSECANDIDATE = 4;
constexpr WPARAM IMN_OPENCANDIDATE = 5;
constexpr WPARAM IMN_CHANGECANDIDATE = 3;
constexpr WPARAM IMN_SETOPENSTATUS = 8;
constexpr WPARAM IMN_SETCANDIDATEPOS = 9;

BOOL WINNLSEnableIME(HWND window, BOOL enable);
HIMC ImmGetContext(HWND window);
BOOL ImmReleaseContext(HWND window, HIMC context);
// Bytes copied (or needed when size is 0); for GCS_CURSORPOS the cursor position in characters.
LONG ImmGetCompositionStringA(HIMC context, DWORD index, void* buffer, DWORD size);
BOOL ImmGetOpenStatus(HIMC context);
