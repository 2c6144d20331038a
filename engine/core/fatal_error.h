// The exit for dead ends: log the message, shut the engine down, end the process with -1.
#pragma once

#include "vornek.h"  // FatalError, FatalErrorFormat

// The shut-down FatalError runs before the process ends. InitEngine sets it before its first
// step; until then a fatal error has nothing to stop.
void SetFatalErrorShutDown(int (*shutDown)());
