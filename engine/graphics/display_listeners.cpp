#include "display_listeners.h"

#include "../core/log.h"

namespace {

constexpr int MaxDisplayListeners = 8;

struct DisplayListenerTable {
  const DisplayListener* listeners[MaxDisplayListeners];
  int count;
};

DisplayListenerTable Listeners{};

template <class Member>
void Notify(Member member) {
  for (int i = 0; i < Listeners.count; ++i) {
    if (Listeners.listeners[i]->*member != nullptr) (Listeners.listeners[i]->*member)();
  }
}

}  // namespace

int AddDisplayListener(const DisplayListener* listener) {
  if (listener == nullptr) return -1;
  for (int i = 0; i < Listeners.count; ++i) {
    if (Listeners.listeners[i] == listener) return 0;
  }
  if (Listeners.count == MaxDisplayListeners) {
    LogText("AddDisplayListener: the table of display listeners is full\n");
    return -1;
  }
  Listeners.listeners[Listeners.count++] = listener;
  return 0;
}

void NotifyDisplayStarted() { Notify(&DisplayListener::started); }
void NotifyDisplayEnding() { Notify(&DisplayListener::ending); }
void NotifyDisplayRestored() { Notify(&DisplayListener::restored); }
void NotifyDisplayPresenting() { Notify(&DisplayListener::presenting); }
void NotifyDisplayModeChanging() { Notify(&DisplayListener::modeChanging); }
void NotifyDisplayModeChanged() { Notify(&DisplayListener::modeChanged); }
