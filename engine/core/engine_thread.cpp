#include "engine_thread.h"

#include "log.h"

std::atomic<DWORD> EngineThreadOwner{0};
constinit thread_local DWORD EngineThreadSelf = 0;

namespace {

DWORD ThisThread() {
  if (EngineThreadSelf == 0) EngineThreadSelf = GetCurrentThreadId();
  return EngineThreadSelf;
}

}  // namespace

bool RefuseOffEngineThread(const char* call) {
  EngineLogFormat("%s はエンジンを開始したスレッド以外から呼ばれたため実行しませんでした", call);
  return true;
}

bool ClaimEngineThread() {
  DWORD expected = 0;
  const DWORD self = ThisThread();
  return EngineThreadOwner.compare_exchange_strong(expected, self, std::memory_order_acq_rel) || expected == self;
}

void ReleaseEngineThread() { EngineThreadOwner.store(0, std::memory_order_release); }
