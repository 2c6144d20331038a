// The engine runs on one thread: the one that called InitEngine. While it runs, a public call
// from any other thread is refused before it touches anything.
//
// Every public call that reads or changes engine state starts with
//
//   if (CalledOffEngineThread(__func__)) return -1;
//
// returning its documented failure value instead of -1 where that differs (0 for the yes/no
// queries). The check is one thread-local read and one compare; the refusal writes a log line.
#pragma once

#include "platform/kernel32.h"

// True (after logging the refusal) when the engine has a thread and the caller is another one.
// Before InitEngine and after EndEngine any thread may call.
bool CalledOffEngineThread(const char* call);

// InitEngine makes the calling thread the engine's; false when the engine already has another.
bool ClaimEngineThread();
// EndEngine and a failed InitEngine give the engine up.
void ReleaseEngineThread();
