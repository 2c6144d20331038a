// The message queue: posted messages first, then the quit request, input, paint requests and
// due timers, the last two made up only when nothing else waits.
#include <algorithm>

#include "platform/kernel32.h"
#include "platform/winmm.h"
#include "platform_contract.h"
#include "window_system_state.h"

namespace windows {

void ForgetWindowMessages(HWND window) {
  auto drop = [window](std::deque<MSG>& queue) {
    queue.erase(std::remove_if(queue.begin(), queue.end(), [window](const MSG& m) { return m.hwnd == window; }),
                queue.end());
  };
  drop(S().posted);
  drop(S().input);
  auto& timers = S().timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(), [window](const Timer& t) { return t.window == window; }),
               timers.end());
}

namespace {

HWND const ThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));

struct Filter {
  HWND window;
  UINT low, high;
  bool Matches(HWND hwnd, UINT message) const {
    if (window == ThreadMessagesOnly && hwnd != nullptr) return false;
    if (window != nullptr && window != ThreadMessagesOnly && hwnd != window) return false;
    if ((low != 0 || high != 0) && (message < low || message > high)) return false;
    return true;
  }
};

bool TakeFrom(std::deque<MSG>& queue, const Filter& filter, bool remove, MSG* out) {
  for (auto it = queue.begin(); it != queue.end(); ++it) {
    if (!filter.Matches(it->hwnd, it->message)) continue;
    *out = *it;
    if (remove) queue.erase(it);
    return true;
  }
  return false;
}

bool TakePaint(const Filter& filter, MSG* out) {
  for (auto& w : S().windows) {
    if (w->destroying || !w->needsPaint || !w->visible || w->minimised) continue;
    if (!filter.Matches(w.get(), WM_PAINT)) continue;
    *out = MSG{w.get(), WM_PAINT, 0, 0, 0, {}};
    return true;  // stays until the window is validated
  }
  return false;
}

bool TakeTimer(const Filter& filter, bool remove, MSG* out) {
  const DWORD now = timeGetTime();
  for (Timer& t : S().timers) {
    if (static_cast<std::int32_t>(now - t.due) < 0) continue;
    if (!filter.Matches(t.window, WM_TIMER)) continue;
    *out = MSG{t.window, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.procedure), 0, {}};
    if (remove) t.due = now + t.elapse;
    return true;
  }
  return false;
}

bool Take(const Filter& filter, bool remove, MSG* out) {
  if (TakeFrom(S().posted, filter, remove, out)) return true;
  if (S().quitPosted && filter.window == nullptr && filter.Matches(nullptr, WM_QUIT)) {
    *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(S().quitCode), 0, 0, {}};
    if (remove) S().quitPosted = false;
    return true;
  }
  if (TakeFrom(S().input, filter, remove, out)) return true;
  if (filter.window == ThreadMessagesOnly) return false;
  return TakePaint(filter, out) || TakeTimer(filter, remove, out);
}

bool OnQueueThread() { return S().queueThread == 0 || S().queueThread == GetCurrentThreadId(); }

}  // namespace

void PushInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window == nullptr) {
    Window* main = MainWindow();
    if (main == nullptr) return;  // no window, no queue to hear it
    window = main;
  }
  S().input.push_back(MSG{window, message, wParam, lParam, timeGetTime(), S().cursor});
}

}  // namespace windows

using namespace windows;

BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT remove) {
  if (message == nullptr || !OnQueueThread()) return FALSE;
  native::PollEvents(0);
  MSG found{};
  if (!Take(Filter{window, filterMin, filterMax}, (remove & PM_REMOVE) != 0, &found)) {
    if (window == nullptr) native::QueueFoundEmpty();
    return FALSE;
  }
  found.time = timeGetTime();
  found.pt = S().cursor;
  *message = found;
  return TRUE;
}

BOOL GetMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax) {
  if (message == nullptr || !OnQueueThread()) return -1;
  if (window != nullptr && Find(window) == nullptr) return -1;
  while (PeekMessageA(message, window, filterMin, filterMax, PM_REMOVE) == FALSE) native::PollEvents(10);
  return message->message == WM_QUIT ? FALSE : TRUE;
}

BOOL TranslateMessage(const MSG* message) {
  if (message == nullptr || (message->message != WM_KEYDOWN && message->message != WM_SYSKEYDOWN)) return FALSE;
  const bool control = (S().virtualKeys[VK_CONTROL] & 0x80) != 0;
  int code = 0;
  switch (message->wParam) {
    case VK_RETURN:
      code = control ? 0x0A : 0x0D;
      break;
    case VK_BACK:
      code = control ? 0x7F : 0x08;
      break;
    case VK_TAB:
      code = 0x09;
      break;
    case VK_ESCAPE:
      code = 0x1B;
      break;
    default:
      if (control && message->wParam >= 'A' && message->wParam <= 'Z') code = static_cast<int>(message->wParam) - 0x40;
      break;
  }
  // Printable characters come as typed text from the input source, already composed.
  if (code != 0) {
    S().posted.push_front(
        MSG{message->hwnd, WM_CHAR, static_cast<WPARAM>(code), message->lParam, message->time, message->pt});
  }
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* message) {
  if (message == nullptr) return 0;
  if (message->message == WM_TIMER && message->lParam != 0) {
    if (message->hwnd != nullptr && Find(message->hwnd) == nullptr) return 0;
    reinterpret_cast<TIMERPROC>(message->lParam)(message->hwnd, WM_TIMER, message->wParam, timeGetTime());
    return 0;
  }
  Window* w = Find(message->hwnd);
  if (w == nullptr) return 0;
  if (message->message == WM_IME_COMPOSITION && (message->lParam & 0x0800) && !S().pendingResults.empty()) {
    S().result = S().pendingResults.front();
    S().pendingResults.pop_front();
  }
  return w->procedure(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != nullptr && Find(window) == nullptr) return FALSE;
  if (window == nullptr && S().queueThread == 0) S().queueThread = GetCurrentThreadId();
  S().posted.push_back(MSG{window, message, wParam, lParam, timeGetTime(), S().cursor});
  return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = Find(window);
  return w == nullptr ? 0 : w->procedure(window, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
  S().quitPosted = true;
  S().quitCode = exitCode;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = Find(window);
  if (w == nullptr) return 0;
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(window, WM_CLOSE, 0, 0);
      if ((wParam & 0xFFF0) == SC_MINIMIZE) ShowWindow(window, SW_MINIMIZE);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_NCHITTEST:
      return HTCLIENT;
    case WM_SETCURSOR:
      if (LOWORD(static_cast<std::uintptr_t>(lParam)) == HTCLIENT) {
        for (const WindowClass& c : S().classes) {
          if (c.name == w->className && c.cursor != nullptr) {
            SetCursor(c.cursor);
            return TRUE;
          }
        }
      }
      return FALSE;
    default:
      return 0;
  }
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) {
  if (window != nullptr && Find(window) == nullptr) return 0;
  if (window == nullptr) id = S().nextTimerId++;
  elapse = std::clamp(elapse, 10u, 0x7FFFFFFFu);
  const DWORD due = timeGetTime() + elapse;
  for (Timer& t : S().timers) {
    if (t.window == window && t.id == id) {
      t = Timer{window, id, elapse, procedure, due};
      return id != 0 ? id : 1;
    }
  }
  S().timers.push_back(Timer{window, id, elapse, procedure, due});
  return id != 0 ? id : 1;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  auto& timers = S().timers;
  auto it =
      std::find_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.window == window && t.id == id; });
  if (it == timers.end()) return FALSE;
  timers.erase(it);
  return TRUE;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
  Window* w = Find(window);
  if (w == nullptr || paint == nullptr) return nullptr;
  // Validated even when nobody draws, or the paint request would come back for ever.
  w->needsPaint = false;
  RECT client{};
  GetClientRect(window, &client);
  *paint = PAINTSTRUCT{&w->dc, FALSE, client, FALSE, FALSE, {}};
  return &w->dc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
  return Find(window) != nullptr && paint != nullptr ? TRUE : FALSE;
}
