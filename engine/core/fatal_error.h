// The exit for dead ends: log the message, shut the engine down, end the process with -1.
#pragma once

#include "vornek.h"  // FatalError, FatalErrorFormat
