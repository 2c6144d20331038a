// Log output: Shift-JIS lines with a millisecond stamp and tab indentation.
#pragma once

#include "vornek.h"  // LogText, LogFormat, LogIndentIn, LogIndentOut

// The engine's own lines are Shift-JIS whatever the program's texts are: inside the engine
// LogText and LogFormat are these, and the program's calls (vornek.h) convert UTF-8 text first.
// These skip the engine-thread check, so a refused call from another thread can say so; every
// line is written under one lock.
int EngineLogText(const char* message);
int EngineLogFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
#define LogText EngineLogText
#define LogFormat EngineLogFormat

int StartLog();
