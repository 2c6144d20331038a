#include "api_lock.h"

#include <atomic>

#include "fatal_error.h"

ApiLockRecord ApiLock{};

namespace {

constexpr DWORD NoOwner = 0xFFFFFFFFu;

constexpr int Creating = 2;

// The lock is created by whichever thread uses it first; threads arriving at the same moment
// wait until that thread has finished, instead of each building it again under the others.
void EnsureApiLockCreated() {
  std::atomic_ref<int> created(ApiLock.created);
  int expected = 0;
  if (created.load(std::memory_order_acquire) == 1) return;
  if (!created.compare_exchange_strong(expected, Creating, std::memory_order_acq_rel)) {
    while (created.load(std::memory_order_acquire) != 1) Sleep(0);
    return;
  }
  for (ApiLockWaiter& slot : ApiLock.queue) {
    slot.threadId = 0;
    slot.event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (slot.event == nullptr) FatalError("APIロック用イベントの作成に失敗しました");
  }
  InitializeCriticalSection(&ApiLock.section);
  ApiLock.locked = 0;
  ApiLock.owner = NoOwner;
  ApiLock.depth = 0;
  ApiLock.waiterCount = 0;
  created.store(1, std::memory_order_release);
}

// Called inside the critical section; leaves it.
void Take(DWORD thread) {
  ++ApiLock.depth;
  ApiLock.locked = 1;
  ApiLock.owner = thread;
  LeaveCriticalSection(&ApiLock.section);
}

// Removes the first waiter; the slots behind it move up and its event goes to the freed slot.
void PopFirstWaiter() {
  HANDLE event = ApiLock.queue[0].event;
  const int count = ApiLock.waiterCount;
  for (int i = 1; i < count; ++i) ApiLock.queue[i - 1] = ApiLock.queue[i];
  ApiLock.queue[count - 1] = {0, event};
  --ApiLock.waiterCount;
}

}  // namespace

void AcquireApiLock() {
  EnsureApiLockCreated();
  const DWORD thread = GetCurrentThreadId();
  for (;;) {
    EnterCriticalSection(&ApiLock.section);
    if (ApiLock.locked) {
      if (ApiLock.owner == thread) return Take(thread);
    } else if (ApiLock.waiterCount == 0) {
      return Take(thread);
    } else if (ApiLock.queue[0].threadId == thread) {
      PopFirstWaiter();
      return Take(thread);
    }

    // Only the first waiter is ever woken, and it always takes the lock above, so a thread
    // arriving here is not queued yet.
    if (ApiLock.waiterCount == ApiLockWaiterSlots) {
      LeaveCriticalSection(&ApiLock.section);
      Sleep(1);
      continue;
    }
    const int slot = ApiLock.waiterCount++;
    ApiLock.queue[slot].threadId = thread;
    HANDLE event = ApiLock.queue[slot].event;
    LeaveCriticalSection(&ApiLock.section);
    WaitForSingleObject(event, INFINITE);
    ResetEvent(event);
  }
}

void ReleaseApiLock() {
  EnterCriticalSection(&ApiLock.section);
  HANDLE wake = nullptr;
  if (ApiLock.depth == 1) {
    ApiLock.locked = 0;
    ApiLock.owner = NoOwner;
    if (ApiLock.waiterCount > 0) wake = ApiLock.queue[0].event;
  }
  --ApiLock.depth;
  LeaveCriticalSection(&ApiLock.section);
  if (wake != nullptr) {
    SetEvent(wake);
    Sleep(0);
  }
}

void CloseApiLock() {
  if (ApiLock.created != 1) return;
  for (ApiLockWaiter& slot : ApiLock.queue) {
    CloseHandle(slot.event);
    slot = {0, nullptr};
  }
  DeleteCriticalSection(&ApiLock.section);
  std::atomic_ref<int>(ApiLock.created).store(0, std::memory_order_release);
}

int ApiLockWaiters() {
  if (std::atomic_ref<int>(ApiLock.created).load(std::memory_order_acquire) != 1) return 0;
  EnterCriticalSection(&ApiLock.section);
  const int count = ApiLock.waiterCount;
  LeaveCriticalSection(&ApiLock.section);
  return count;
}
