#include "last_error.h"

#include <cstdarg>
#include <cstdio>

#include "log.h"
#include "vornek.h"

namespace {

char lastError[512];

void Format(const char* format, va_list arguments) { std::vsnprintf(lastError, sizeof lastError, format, arguments); }

}  // namespace

void SetLastErrorText(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  Format(format, arguments);
  va_end(arguments);
}

void ReportFailure(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  Format(format, arguments);
  va_end(arguments);
  LogFormat("%s", lastError);
}

int FailWithText(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  Format(format, arguments);
  va_end(arguments);
  return -1;
}

void ClearLastErrorText() { lastError[0] = '\0'; }

const char* GetLastErrorText() { return lastError; }
