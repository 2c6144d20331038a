// Critical sections, events, sleeping and thread ids on POSIX threads; CloseHandle for every
// closable object.
#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <new>

#include "platform/kernel32.h"
#include "file_object.h"
#include "platform_object.h"

static_assert(sizeof(pthread_mutex_t) <= sizeof(CRITICAL_SECTION::opaque));
static_assert(alignof(pthread_mutex_t) <= alignof(CRITICAL_SECTION));

namespace {

pthread_mutex_t* MutexOf(CRITICAL_SECTION* section) { return reinterpret_cast<pthread_mutex_t*>(section->opaque); }

struct Event final : PlatformObject {
  Event(bool manual, bool initial)
      : PlatformObject(PlatformObjectKind::Event), manualReset(manual), signalled(initial) {}
  std::mutex mutex;
  std::condition_variable changed;
  const bool manualReset;
  bool signalled;
};

Event* AsEvent(HANDLE handle) {
  return handle != nullptr && handle->kind == PlatformObjectKind::Event ? static_cast<Event*>(handle) : nullptr;
}

}  // namespace

void InitializeCriticalSection(CRITICAL_SECTION* section) {
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(MutexOf(section), &attributes);
  pthread_mutexattr_destroy(&attributes);
}

void DeleteCriticalSection(CRITICAL_SECTION* section) { pthread_mutex_destroy(MutexOf(section)); }
void EnterCriticalSection(CRITICAL_SECTION* section) { pthread_mutex_lock(MutexOf(section)); }
void LeaveCriticalSection(CRITICAL_SECTION* section) { pthread_mutex_unlock(MutexOf(section)); }

HANDLE CreateEventA(void* attributes, BOOL manualReset, BOOL initialState, const char* name) {
  if (attributes != nullptr || name != nullptr) return nullptr;  // neither is supported
  return new (std::nothrow) Event(manualReset != 0, initialState != 0);
}

BOOL SetEvent(HANDLE handle) {
  Event* event = AsEvent(handle);
  if (event == nullptr) return FALSE;
  {
    std::lock_guard lock(event->mutex);
    event->signalled = true;
  }
  if (event->manualReset) {
    event->changed.notify_all();
  } else {
    event->changed.notify_one();
  }
  return TRUE;
}

BOOL ResetEvent(HANDLE handle) {
  Event* event = AsEvent(handle);
  if (event == nullptr) return FALSE;
  std::lock_guard lock(event->mutex);
  event->signalled = false;
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  Event* event = AsEvent(handle);
  if (event == nullptr) return WAIT_FAILED;
  std::unique_lock lock(event->mutex);
  if (milliseconds == INFINITE) {
    event->changed.wait(lock, [event] { return event->signalled; });
  } else if (!event->changed.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                      [event] { return event->signalled; })) {
    return WAIT_TIMEOUT;
  }
  if (!event->manualReset) event->signalled = false;
  return WAIT_OBJECT_0;
}

BOOL CloseHandle(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return FALSE;
  if (handle->kind == PlatformObjectKind::File) return CloseFileObject(handle);
  Event* event = AsEvent(handle);
  if (event == nullptr) return FALSE;
  delete event;
  return TRUE;
}

void Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    sched_yield();
    return;
  }
  timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

DWORD GetCurrentThreadId() { return static_cast<DWORD>(syscall(SYS_gettid)); }
