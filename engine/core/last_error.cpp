#include "last_error.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "engine_thread.h"
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

int FailNamingCall(const char* call) {
  char reason[sizeof lastError];
  std::snprintf(reason, sizeof reason, "%s", lastError);
  // Two steps, so that a long sentence is cut at the buffer's end.
  const int named = std::snprintf(lastError, sizeof lastError, "%s: ", call);
  if (named > 0 && static_cast<std::size_t>(named) < sizeof lastError) {
    const std::size_t room = sizeof lastError - 1 - static_cast<std::size_t>(named);
    const std::size_t length = std::min(std::strlen(reason), room);
    std::memcpy(lastError + named, reason, length);
    lastError[static_cast<std::size_t>(named) + length] = '\0';
  }
  return -1;
}

KeepLastErrorText::KeepLastErrorText() { std::snprintf(saved_, sizeof saved_, "%s", lastError); }

KeepLastErrorText::~KeepLastErrorText() { std::snprintf(lastError, sizeof lastError, "%s", saved_); }

void ClearLastErrorText() { lastError[0] = '\0'; }

const char* GetLastErrorText() {
  // The engine's thread writes the sentence at any time; another thread is told so instead.
  if (CalledOffEngineThread(__func__)) return "GetLastErrorText: called from a thread other than the engine's";
  return lastError;
}
