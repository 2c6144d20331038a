// The exit for dead ends: log the message, shut the engine down, end the process with -1.
#pragma once

[[noreturn]] void FatalError(const char* message);
[[noreturn]] void FatalErrorFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
