// Log output: Shift-JIS lines with a millisecond stamp and tab indentation.
#pragma once

#include "vornek.h"  // LogText, LogFormat, LogIndentIn, LogIndentOut

int StartLog();

// The log's writers without the engine-thread check, for lines written on behalf of another
// thread (a refused call). Serialised with every other line.
int WriteLogText(const char* message);
int WriteLogFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
