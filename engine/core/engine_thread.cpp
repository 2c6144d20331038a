#include "engine_thread.h"

#include <atomic>

#include "log.h"

namespace {

// 0 while no engine runs; thread ids are never 0.
std::atomic<DWORD> engineThread{0};

DWORD ThisThread() {
  // Asking the system every call would cost a system call per drawing call.
  thread_local const DWORD self = GetCurrentThreadId();
  return self;
}

}  // namespace

bool CalledOffEngineThread(const char* call) {
  const DWORD owner = engineThread.load(std::memory_order_acquire);
  if (owner == 0 || owner == ThisThread()) return false;
  WriteLogFormat("%s はエンジンを開始したスレッド以外から呼ばれたため実行しませんでした", call);
  return true;
}

bool ClaimEngineThread() {
  DWORD expected = 0;
  const DWORD self = ThisThread();
  return engineThread.compare_exchange_strong(expected, self, std::memory_order_acq_rel) || expected == self;
}

void ReleaseEngineThread() { engineThread.store(0, std::memory_order_release); }
