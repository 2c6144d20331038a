// The engine runs on one thread: the one that called InitEngine. While it runs, a public call
// from any other thread is refused before it touches anything.
//
// Every public call that reads or changes engine state starts with
//
//   if (CalledOffEngineThread(__func__)) return -1;
//
// returning its documented failure value instead of -1 where that differs (0 for the yes/no
// queries). The check is an atomic load, a thread-local read and a compare, inline; the refusal
// writes a log line.
#pragma once

#include <atomic>

#include "platform/kernel32.h"

// The engine's thread: 0 while no engine runs (thread ids are never 0).
extern std::atomic<DWORD> EngineThreadOwner;
// The calling thread's id, asked of the system once per thread (0 until then).
extern constinit thread_local DWORD EngineThreadSelf;

// Logs that the call was refused; always true.
bool RefuseOffEngineThread(const char* call);

// True (after logging the refusal) when the engine has a thread and the caller is another one.
// Before InitEngine and after EndEngine any thread may call.
inline bool CalledOffEngineThread(const char* call) {
  const DWORD owner = EngineThreadOwner.load(std::memory_order_acquire);
  if (owner == 0) return false;
  if (EngineThreadSelf == 0) EngineThreadSelf = GetCurrentThreadId();
  return owner != EngineThreadSelf && RefuseOffEngineThread(call);
}

// InitEngine makes the calling thread the engine's; false when the engine already has another.
bool ClaimEngineThread();
// EndEngine and a failed InitEngine give the engine up.
void ReleaseEngineThread();
