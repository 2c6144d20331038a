// ApiLock: the recursive lock around InitEngine, EndEngine and PumpMessages. Threads that find
// it taken are served strictly in arrival order, each woken through its own event.
#pragma once

#include "platform/kernel32.h"

constexpr int ApiLockWaiterSlots = 4096;

struct ApiLockWaiter {
  DWORD threadId;
  HANDLE event;
};

struct ApiLockRecord {
  int created;  // 0 no, 1 yes (2 while one thread builds it)
  CRITICAL_SECTION section;
  int locked;
  DWORD owner;  // 0xFFFFFFFF while free
  int depth;
  ApiLockWaiter queue[ApiLockWaiterSlots];
  int waiterCount;
};

extern ApiLockRecord ApiLock;

void AcquireApiLock();
void ReleaseApiLock();
// Closes the events and the critical section; the next acquire creates them again.
void CloseApiLock();

// Number of threads queued for the lock (for observation by tests and diagnostics).
int ApiLockWaiters();
