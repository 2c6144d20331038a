// Log output: Shift-JIS lines with a millisecond stamp and tab indentation.
#pragma once

#include "vornek.h"  // LogText, LogFormat, LogIndentIn, LogIndentOut

int StartLog();
