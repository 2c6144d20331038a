// Log output: Shift-JIS lines with a millisecond stamp and tab indentation.
#pragma once

int LogText(const char* message);
int LogFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
int LogIndentIn();
int LogIndentOut();
int StartLog();
