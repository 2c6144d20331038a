// What each platform implementation supplies to the shared pieces in common/.
#pragma once

// Whether a library of this name can be loaded (the fake can make it go missing).
bool PlatformHasLibrary(const char* name);

// DirectDraw: whether its object can be created and initialised, and the vertical-blank wait.
bool PlatformDirectDrawAvailable();
bool PlatformDirectDrawInitialize();
bool PlatformInVerticalBlank();
void PlatformWaitForVerticalBlank();
