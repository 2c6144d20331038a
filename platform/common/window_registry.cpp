// Window classes, windows and their geometry.
#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/kernel32.h"
#include "platform_contract.h"
#include "window_system_state.h"

namespace windows {

State& S() {
  static State state;
  return state;
}

Window* Find(HWND handle) {
  if (handle == nullptr) return nullptr;
  for (auto& w : S().windows) {
    if (w.get() == handle && !w->destroying) return w.get();
  }
  return nullptr;
}

Window* MainWindow() {
  for (auto& w : S().windows) {
    if (!w->destroying) return w.get();
  }
  return nullptr;
}

// The far edge of a span, saturated at int's ends as no real window reaches them.
LONG FarEdge(long long from, long long length) {
  const long long edge = from + length;
  return static_cast<LONG>(edge > INT_MAX ? INT_MAX : edge < INT_MIN ? INT_MIN : edge);
}

// A caption bar of 23 pixels over a 3-pixel dialog frame, and 2 more on every side for the
// sunken client edge; a bare pop-up has no frame.
RECT FrameOf(DWORD style, DWORD exStyle) {
  RECT frame{};
  if (style & WS_CAPTION) {
    frame = RECT{3, 26, 3, 3};
  }
  if (exStyle & WS_EX_CLIENTEDGE) {
    frame.left += 2;
    frame.top += 2;
    frame.right += 2;
    frame.bottom += 2;
  }
  return frame;
}

RECT ClientRectOnScreen(const Window& window) {
  const RECT frame = FrameOf(window.style, window.exStyle);
  RECT client{window.rect.left + frame.left, window.rect.top + frame.top, window.rect.right - frame.right,
              window.rect.bottom - frame.bottom};
  if (client.right < client.left) client.right = client.left;
  if (client.bottom < client.top) client.bottom = client.top;
  return client;
}

void Reset() {
  for (auto& w : S().windows) {
    native::ReleaseClaim(*w);
    native::DestroyNativeWindow(*w);
  }
  S() = State{};
}

namespace {

WindowClass* FindClass(const char* name) {
  if (name == nullptr) return nullptr;
  for (auto& c : S().classes) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

// Applies a new outer rectangle and tells the window procedure what changed.
void Reposition(Window& w, const RECT& rect, bool repaint) {
  const bool moved = rect.left != w.rect.left || rect.top != w.rect.top;
  const bool resized =
      rect.right - rect.left != w.rect.right - w.rect.left || rect.bottom - rect.top != w.rect.bottom - w.rect.top;
  w.rect = rect;
  if (!moved && !resized) return;
  native::SetNativeGeometry(w);
  const RECT client = ClientRectOnScreen(w);
  HWND handle = &w;
  if (moved) w.procedure(handle, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
  if (Find(handle) == nullptr) return;
  if (resized) {
    w.procedure(handle, WM_SIZE, w.minimised ? SIZE_MINIMIZED : SIZE_RESTORED,
                MAKELPARAM(client.right - client.left, client.bottom - client.top));
    if (repaint) w.needsPaint = true;
  }
}

}  // namespace

}  // namespace windows

using namespace windows;

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) {
  if (windowClass == nullptr || windowClass->cbSize != sizeof(WNDCLASSEXA) || windowClass->lpfnWndProc == nullptr ||
      windowClass->lpszClassName == nullptr || windowClass->lpszClassName[0] == '\0') {
    return 0;
  }
  if (FindClass(windowClass->lpszClassName) != nullptr) return 0;  // already registered
  if (!native::AllowClassRegistration()) return 0;
  S().classes.push_back({windowClass->lpszClassName, windowClass->lpfnWndProc, windowClass->style,
                         windowClass->hInstance, windowClass->hCursor});
  return static_cast<ATOM>(0xC000 + S().classes.size());
}

BOOL UnregisterClassA(const char* className, HINSTANCE) {
  WindowClass* c = FindClass(className);
  if (c == nullptr) return FALSE;
  for (auto& w : S().windows) {
    if (!w->destroying && w->className == className) return FALSE;  // still in use
  }
  S().classes.erase(S().classes.begin() + (c - S().classes.data()));
  return TRUE;
}

HWND CreateWindowExA(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y, int width,
                     int height, HWND, HMENU, HINSTANCE, void*) {
  WindowClass* c = FindClass(className);
  if (c == nullptr || width < 0 || height < 0) return nullptr;
  auto window = std::make_unique<Window>();
  Window& w = *window;
  w.className = c->name;
  w.title = title != nullptr ? title : "";
  w.procedure = c->procedure;
  w.style = style;
  w.exStyle = exStyle;
  w.rect = RECT{x, y, FarEdge(x, width), FarEdge(y, height)};
  w.visible = (style & WS_VISIBLE) != 0;
  w.threadId = GetCurrentThreadId();
  if (!native::ClaimClass(w)) return nullptr;
  if (!native::CreateNativeWindow(w)) {
    native::ReleaseClaim(w);
    return nullptr;
  }
  // With no window left and nothing posted, the queue goes to the thread that makes the next
  // window: an engine ended on one thread may be started again on another.
  if (S().queueThread == 0 || (S().windows.empty() && S().posted.empty())) S().queueThread = w.threadId;
  S().windows.push_back(std::move(window));
  w.procedure(&w, WM_CREATE, 0, 0);
  if (w.visible) w.needsPaint = true;
  return &w;
}

BOOL DestroyWindow(HWND handle) {
  Window* w = Find(handle);
  if (w == nullptr || w->destroyStarted) return FALSE;
  w->destroyStarted = true;
  w->procedure(handle, WM_DESTROY, 0, 0);
  w->destroying = true;
  native::ReleaseClaim(*w);
  native::DestroyNativeWindow(*w);
  ForgetWindowMessages(handle);
  auto& list = S().windows;
  list.erase(std::remove_if(list.begin(), list.end(), [w](const auto& p) { return p.get() == w; }), list.end());
  return TRUE;
}

BOOL IsWindow(HWND handle) { return Find(handle) != nullptr ? TRUE : FALSE; }

namespace {
// Stands for a window of another process: it can be found, never used.
struct ForeignWindow final : PlatformObject {
  ForeignWindow() : PlatformObject(PlatformObjectKind::Window) {}
};
ForeignWindow foreignWindow;
}  // namespace

HWND FindWindowA(const char* className, const char* title) {
  if (className == nullptr) return nullptr;
  for (auto& w : S().windows) {
    if (!w->destroying && w->className == className && (title == nullptr || w->title == title)) return w.get();
  }
  return native::OtherInstanceHolds(className) ? &foreignWindow : nullptr;
}

BOOL ShowWindow(HWND handle, int command) {
  Window* w = Find(handle);
  if (w == nullptr) return FALSE;
  const BOOL wasVisible = w->visible ? TRUE : FALSE;
  switch (command) {
    case SW_HIDE:
      w->visible = false;
      break;
    case SW_MINIMIZE:
      w->visible = true;
      w->minimised = true;
      break;
    default:
      w->visible = true;
      w->minimised = false;
      w->needsPaint = true;
      break;
  }
  native::ShowNativeWindow(*w);
  // Showing a window of the foreground program activates it; minimising deactivates it.
  if (command == SW_MINIMIZE) {
    QueueActivation(false, true);
  } else if (command != SW_HIDE) {
    QueueActivation(true, false);
  }
  return wasVisible;
}

BOOL UpdateWindow(HWND handle) {
  Window* w = Find(handle);
  if (w == nullptr) return FALSE;
  if (w->needsPaint && w->visible) w->procedure(handle, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL InvalidateRect(HWND handle, const RECT*, BOOL) {
  Window* w = Find(handle);
  if (w == nullptr) return FALSE;
  w->needsPaint = true;
  return TRUE;
}

BOOL SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
  Window* w = Find(handle);
  if (w == nullptr) return FALSE;
  RECT rect = w->rect;
  if (!(flags & SWP_NOMOVE)) {
    rect.right = FarEdge(x, static_cast<long long>(rect.right) - rect.left);
    rect.bottom = FarEdge(y, static_cast<long long>(rect.bottom) - rect.top);
    rect.left = x;
    rect.top = y;
  }
  if (!(flags & SWP_NOSIZE)) {
    if (width < 0 || height < 0) return FALSE;
    rect.right = FarEdge(rect.left, width);
    rect.bottom = FarEdge(rect.top, height);
  }
  if (!(flags & SWP_NOZORDER) && (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST)) {
    const bool topMost = insertAfter == HWND_TOPMOST;
    if (topMost != w->topMost) {
      w->topMost = topMost;
      native::SetNativeTopMost(*w);
    }
  }
  if (flags & SWP_FRAMECHANGED) native::SetNativeGeometry(*w);
  windows::Reposition(*w, rect, (flags & SWP_NOREDRAW) == 0);
  if (Find(handle) != nullptr && (flags & SWP_SHOWWINDOW)) ShowWindow(handle, SW_SHOW);
  return TRUE;
}

BOOL MoveWindow(HWND handle, int x, int y, int width, int height, BOOL repaint) {
  Window* w = Find(handle);
  if (w == nullptr || width < 0 || height < 0) return FALSE;
  windows::Reposition(*w, RECT{x, y, FarEdge(x, width), FarEdge(y, height)}, repaint != 0);
  return TRUE;
}

LONG SetWindowLongA(HWND handle, int index, LONG value) {
  Window* w = Find(handle);
  if (w == nullptr) return 0;
  DWORD* field = index == GWL_STYLE ? &w->style : index == GWL_EXSTYLE ? &w->exStyle : nullptr;
  if (field == nullptr) return 0;
  const LONG previous = static_cast<LONG>(*field);
  // The outer rectangle keeps its place; the client area follows the new frame.
  *field = static_cast<DWORD>(value);
  if (index == GWL_STYLE) w->visible = (*field & WS_VISIBLE) != 0 || w->visible;
  return previous;
}

LONG GetWindowLongA(HWND handle, int index) {
  Window* w = Find(handle);
  if (w == nullptr) return 0;
  if (index == GWL_STYLE) return static_cast<LONG>(w->style | (w->visible ? WS_VISIBLE : 0));
  if (index == GWL_EXSTYLE) return static_cast<LONG>(w->exStyle);
  return 0;
}

BOOL SetWindowTextA(HWND handle, const char* text) {
  Window* w = Find(handle);
  if (w == nullptr) return FALSE;
  w->title = text != nullptr ? text : "";
  native::SetNativeTitle(*w);
  return TRUE;
}

BOOL GetWindowRect(HWND handle, RECT* rect) {
  Window* w = Find(handle);
  if (w == nullptr || rect == nullptr) return FALSE;
  *rect = w->rect;
  return TRUE;
}

BOOL GetClientRect(HWND handle, RECT* rect) {
  Window* w = Find(handle);
  if (w == nullptr || rect == nullptr) return FALSE;
  const RECT client = ClientRectOnScreen(*w);
  *rect = RECT{0, 0, client.right - client.left, client.bottom - client.top};
  return TRUE;
}

BOOL ClientToScreen(HWND handle, POINT* point) {
  Window* w = Find(handle);
  if (w == nullptr || point == nullptr) return FALSE;
  const RECT client = ClientRectOnScreen(*w);
  point->x += client.left;
  point->y += client.top;
  return TRUE;
}

BOOL ScreenToClient(HWND handle, POINT* point) {
  Window* w = Find(handle);
  if (w == nullptr || point == nullptr) return FALSE;
  const RECT client = ClientRectOnScreen(*w);
  point->x -= client.left;
  point->y -= client.top;
  return TRUE;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL, DWORD exStyle) {
  if (rect == nullptr) return FALSE;
  const RECT frame = FrameOf(style, exStyle);
  rect->left = FarEdge(rect->left, -frame.left);
  rect->top = FarEdge(rect->top, -frame.top);
  rect->right = FarEdge(rect->right, frame.right);
  rect->bottom = FarEdge(rect->bottom, frame.bottom);
  return TRUE;
}

BOOL BringWindowToTop(HWND handle) {
  Window* w = Find(handle);
  if (w == nullptr) return FALSE;
  native::RaiseNativeWindow(*w);
  return TRUE;
}

BOOL SetForegroundWindow(HWND handle) { return BringWindowToTop(handle); }

// Every window of this program belongs to one thread's queue, so activating one is bringing
// it to the front.
HWND SetActiveWindow(HWND handle) {
  Window* w = Find(handle);
  if (w == nullptr) return nullptr;
  Window* before = S().active ? MainWindow() : nullptr;
  native::RaiseNativeWindow(*w);
  return before;
}

PlatformObject* GetModuleHandleA(const char* moduleName) {
  struct Module final : PlatformObject {
    Module() : PlatformObject(PlatformObjectKind::Module) {}
  };
  static Module program;
  return moduleName == nullptr ? &program : nullptr;
}
