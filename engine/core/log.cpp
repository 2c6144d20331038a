#include "log.h"

#include <cstdarg>
#include <cstdio>

#include "engine_state.h"

// The log file itself is not written yet; the calls keep their results and their indentation.
int LogText(const char*) { return -1; }

int LogFormat(const char* format, ...) {
  char buffer[1024];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(buffer, sizeof buffer - 1, format, arguments);
  va_end(arguments);
  return LogText(buffer);
}

int LogIndentIn() {
  ++EngineState.LogIndent;
  return 0;
}

int LogIndentOut() {
  if (EngineState.LogIndent > 0) --EngineState.LogIndent;
  return 0;
}

int StartLog() { return 1; }
