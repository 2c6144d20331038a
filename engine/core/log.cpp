// The log file: opened, appended to and closed again for every message, so that nothing written
// is lost when the process ends abruptly. Every line is mirrored to the debugger output.
#include "log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "engine_state.h"
#include "engine_thread.h"
#include "line_ends.h"
#include "platform/kernel32.h"
#include "platform/winmm.h"
#include "tracked_memory.h"

namespace {

constexpr char LogFileName[] = "Log.txt";
constexpr std::size_t ShortMessage = 255;

// Room for twice the longest short message and its zero.
struct ConversionBuffer {
  char local[2 * ShortMessage + 1];
  char* text = local;
  ~ConversionBuffer() {
    if (text != local) TrackedFree(text);
  }
};

bool WriteAll(HANDLE file, const char* bytes, std::size_t length) {
  DWORD written = 0;
  return WriteFile(file, bytes, static_cast<DWORD>(length), &written, nullptr) && written == length;
}

// The stamp goes to the file only; the indentation also to the debugger output, which gets it
// even when the file takes nothing.
void WriteLineStart(HANDLE file, bool* written) {
  char stamp[16];
  const int stampLength =
      std::snprintf(stamp, sizeof stamp, "%d:", static_cast<int>(timeGetTime() - EngineState.LogStartTime));
  if (stampLength < 0 || !WriteAll(file, stamp, static_cast<std::size_t>(stampLength))) *written = false;

  char tabs[65];
  std::memset(tabs, '\t', sizeof tabs - 1);
  for (int left = EngineState.LogIndent; left > 0;) {
    const int count = left < 64 ? left : 64;
    tabs[count] = '\0';
    if (*written && !WriteAll(file, tabs, static_cast<std::size_t>(count))) *written = false;
    OutputDebugStringA(tabs);
    tabs[count] = '\t';
    left -= count;
  }
}

// StartupDirectory, a separator unless it ends with one, and the log's name.
bool BuildPath(char* path, std::size_t size) {
  const char* directory = EngineState.StartupDirectory;
  const std::size_t length = strnlen(directory, sizeof EngineState.StartupDirectory);
  const char* separator = length > 0 && directory[length - 1] == '/' ? "" : "/";
  const int written =
      std::snprintf(path, size, "%.*s%s%s", static_cast<int>(length), directory, separator, EngineState.LogFileName);
  return written > 0 && static_cast<std::size_t>(written) < size;
}

// Lines are written one at a time: a call refused on another thread logs its refusal while the
// engine's thread may be writing.
struct LogSection {
  LogSection() { InitializeCriticalSection(&section); }
  CRITICAL_SECTION section;
};

CRITICAL_SECTION* TheLogSection() {
  static LogSection log;
  return &log.section;
}

int AppendToLog(const char* message);

// Set when the log file could not be opened: said once, and not tried again until the next
// start of the log. Without it every line would try, fail and lose itself in silence.
bool fileRefused = false;

void SayFileRefused(const char* path) {
  char line[600];
  std::snprintf(line, sizeof line, "the log cannot be written: %s does not open; no more log lines\n", path);
  OutputDebugStringA(line);
}

}  // namespace

int EngineLogText(const char* message) {
  if (message == nullptr) return -1;
  // Nothing to write costs no lock: the game runs with the log off.
  if (EngineState.LogDisabled) return -1;
  CRITICAL_SECTION* section = TheLogSection();
  EnterCriticalSection(section);
  AppendToLog(message);
  LeaveCriticalSection(section);
  return -1;
}

namespace {

int AppendToLog(const char* message) {
  // Before InitEngine there is no directory to write to; a log never started has no file name.
  if (EngineState.LogDisabled || EngineState.StartupDirectory[0] == '\0' || EngineState.LogFileName[0] == '\0') {
    return -1;
  }

  const std::size_t length = std::strlen(message);
  ConversionBuffer buffer;
  if (length > ShortMessage) {
    buffer.text = static_cast<char*>(TrackedAlloc(2 * length + 1, "", 0));
    if (buffer.text == nullptr) {
      buffer.text = buffer.local;
      return -1;
    }
  }
  const std::size_t converted = ConvertLineEnds(message, length, buffer.text);

  char path[sizeof EngineState.StartupDirectory + sizeof EngineState.LogFileName + 1];
  if (!BuildPath(path, sizeof path)) return -1;
  if (fileRefused) return -1;
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    fileRefused = true;
    SayFileRefused(path);
    return -1;
  }

  // A file that takes nothing (a full disk) loses the message; the debugger output still
  // receives it.
  bool written = SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER;
  if (!EngineState.LogLineOpen) WriteLineStart(file, &written);
  if (written) WriteAll(file, buffer.text, converted);
  OutputDebugStringA(buffer.text);
  // An empty message after a new stamp leaves that line open as well.
  EngineState.LogLineOpen = converted == 0 || buffer.text[converted - 1] != '\n';
  CloseHandle(file);
  return -1;
}

}  // namespace

namespace {

int FormatLine(char (&buffer)[1024], const char* format, va_list arguments) {
  // One byte is kept for the line feed.
  const int length = std::vsnprintf(buffer, sizeof buffer - 1, format, arguments);
  if (length < 0) return -1;
  std::strcat(buffer, "\n");
  return 0;
}

// A program's text in UTF-8 as the log's Shift-JIS; characters Shift-JIS lacks become '?'.
int LogProgramText(const char* message) {
  if (message == nullptr || !EngineState.Utf8Text) return EngineLogText(message);
  const int units = MultiByteToWideChar(CP_UTF8, 0, message, -1, nullptr, 0);
  if (units <= 0) return EngineLogText(message);
  auto* wide = static_cast<WCHAR*>(TrackedAlloc(static_cast<std::size_t>(units) * sizeof(WCHAR), "", 0));
  if (wide == nullptr) return -1;
  MultiByteToWideChar(CP_UTF8, 0, message, -1, wide, units);
  const int bytes = WideCharToMultiByte(932, 0, wide, units, nullptr, 0, "?", nullptr);
  char* text = bytes > 0 ? static_cast<char*>(TrackedAlloc(static_cast<std::size_t>(bytes), "", 0)) : nullptr;
  if (text != nullptr) WideCharToMultiByte(932, 0, wide, units, text, bytes, "?", nullptr);
  TrackedFree(wide);
  if (text == nullptr) return -1;
  EngineLogText(text);
  TrackedFree(text);
  return -1;
}

}  // namespace

int EngineLogFormat(const char* format, ...) {
  char buffer[1024];
  va_list arguments;
  va_start(arguments, format);
  const int failed = FormatLine(buffer, format, arguments);
  va_end(arguments);
  return failed ? -1 : EngineLogText(buffer);
}

#undef LogText
#undef LogFormat

int LogText(const char* message) {
  if (CalledOffEngineThread(__func__)) return -1;
  return LogProgramText(message);
}

int LogFormat(const char* format, ...) {
  if (CalledOffEngineThread(__func__)) return -1;
  char buffer[1024];
  va_list arguments;
  va_start(arguments, format);
  const int failed = FormatLine(buffer, format, arguments);
  va_end(arguments);
  return failed ? -1 : LogProgramText(buffer);
}

int LogIndentIn() {
  if (CalledOffEngineThread(__func__)) return -1;
  ++EngineState.LogIndent;
  return 0;
}

int LogIndentOut() {
  if (CalledOffEngineThread(__func__)) return -1;
  if (EngineState.LogIndent > 0) --EngineState.LogIndent;
  return 0;
}

int StartLog() {
  if (EngineState.LogDisabled) return 1;
  std::memcpy(EngineState.LogFileName, LogFileName, sizeof LogFileName);
  // Relative to the current directory, which is the start-up directory at this moment. A file
  // that cannot be deleted (or created) is left as it is: the messages then go wherever the
  // later opens lead, or are lost.
  DeleteFileA(EngineState.LogFileName);
  HANDLE file =
      CreateFileA(EngineState.LogFileName, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  fileRefused = false;
  EngineState.LogIndent = 0;
  EngineState.LogLineOpen = 0;
  EngineState.LogStartTime = timeGetTime();
  return 1;
}
