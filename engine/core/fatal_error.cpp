#include "fatal_error.h"

#include <cstdarg>
#include <cstdio>

#include "api_lock.h"
#include "lifecycle.h"
#include "log.h"
#include "platform/kernel32.h"

void FatalError(const char* message) {
  LogText(message);
  LogText("\n");
  ShutDownEngine();
  CloseApiLock();
  ExitProcess(static_cast<UINT>(-1));
}

void FatalErrorFormat(const char* format, ...) {
  char buffer[1024];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(buffer, sizeof buffer, format, arguments);
  va_end(arguments);
  FatalError(buffer);
}
