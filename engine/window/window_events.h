// The steps of the window procedure that do more than set a flag.
#pragma once

#include "platform/user32.h"

void OnActivation(bool active, bool minimised);
void OnMove(LPARAM position);
void OnPaint(HWND window);
void OnDisplayChange(WPARAM depth, LPARAM size);
