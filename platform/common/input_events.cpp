// Keyboard, mouse, activation and window events turned into queued messages, and the key,
// button and cursor state they leave behind.
#include "platform/kernel32.h"
#include "platform_contract.h"
#include "window_system_state.h"

namespace windows {

namespace {

void SetVirtualKey(int virtualKey, bool down) {
  if (virtualKey <= 0 || virtualKey > 255) return;
  BYTE& b = S().virtualKeys[virtualKey];
  if (down && !(b & 0x80)) b ^= 0x01;  // the toggle bit flips on every press
  b = static_cast<BYTE>((b & 0x01) | (down ? 0x80 : 0));
}

// The side-less key the messages carry, and whose state follows either side.
int SharedKey(int virtualKey) {
  switch (virtualKey) {
    case VK_LSHIFT:
    case VK_RSHIFT:
      return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
      return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
      return VK_MENU;
    default:
      return 0;
  }
}

void SignalKeyboardEvents() {
  for (auto& entry : S().keyboardEvents) SetEvent(entry.second);
}

POINT ToClient(const Window& w, POINT p) {
  const RECT client = ClientRectOnScreen(w);
  return POINT{p.x - client.left, p.y - client.top};
}

WPARAM MouseKeyFlags() {
  WPARAM flags = 0;
  if (S().mouseButtons[0] & 0x80) flags |= MK_LBUTTON;
  if (S().mouseButtons[1] & 0x80) flags |= MK_RBUTTON;
  if (S().mouseButtons[2] & 0x80) flags |= MK_MBUTTON;
  return flags;
}

}  // namespace

HCURSOR ArrowCursor() {
  struct Arrow final : PlatformObject {
    Arrow() : PlatformObject(PlatformObjectKind::Resource) {}
  };
  static Arrow arrow;
  return &arrow;
}

void QueueKey(int virtualKey, int keyCode, bool down) {
  const bool repeat = down && virtualKey > 0 && virtualKey <= 255 && (S().virtualKeys[virtualKey] & 0x80);
  if (keyCode > 0 && keyCode <= 255) {
    const BYTE before = S().keyCodes[keyCode];
    S().keyCodes[keyCode] = down ? 0x80 : 0;
    if (before != S().keyCodes[keyCode]) SignalKeyboardEvents();
  }
  if (virtualKey <= 0 || virtualKey > 255) return;
  SetVirtualKey(virtualKey, down);
  int messageKey = virtualKey;
  if (const int shared = SharedKey(virtualKey); shared != 0) {
    const int other = virtualKey ^ 1;  // left and right sit side by side
    SetVirtualKey(shared, down || (S().virtualKeys[other] & 0x80));
    messageKey = shared;
  }
  const bool alt = (S().virtualKeys[VK_MENU] & 0x80) != 0;
  const UINT message =
      down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt || messageKey == VK_MENU ? WM_SYSKEYUP : WM_KEYUP);
  LPARAM lParam = 1 | (static_cast<LPARAM>(keyCode & 0xFF) << 16);
  if (repeat) lParam |= 0x40000000;
  if (!down) lParam |= static_cast<LPARAM>(0xC0000000u);
  PushInput(nullptr, message, static_cast<WPARAM>(messageKey), lParam);
}

void QueueMouseMove(int screenX, int screenY) {
  S().cursor = POINT{screenX, screenY};
  Window* w = MainWindow();
  if (w == nullptr) return;
  const RECT client = ClientRectOnScreen(*w);
  const bool inside =
      screenX >= client.left && screenX < client.right && screenY >= client.top && screenY < client.bottom;
  // A held button keeps the mouse with the window, as a drag that leaves it still reports.
  if (!inside && MouseKeyFlags() == 0) return;
  const POINT p = ToClient(*w, S().cursor);
  if (inside) PushInput(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  PushInput(w, WM_MOUSEMOVE, MouseKeyFlags(), MAKELPARAM(p.x, p.y));
}

void QueueMouseButton(int button, bool down) {
  if (button < 0 || button > 7) return;
  S().mouseButtons[button] = down ? 0x80 : 0;
  static const int keys[5] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_XBUTTON1, VK_XBUTTON2};
  if (button < 5) SetVirtualKey(keys[button], down);
  Window* w = MainWindow();
  if (w == nullptr) return;
  const POINT p = ToClient(*w, S().cursor);
  static const UINT downMessages[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
  static const UINT upMessages[3] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
  if (button < 3) {
    PushInput(w, down ? downMessages[button] : upMessages[button], MouseKeyFlags(), MAKELPARAM(p.x, p.y));
  } else if (button < 5) {
    PushInput(w, down ? WM_XBUTTONDOWN : WM_XBUTTONUP, MAKEWPARAM(static_cast<int>(MouseKeyFlags()), button - 2),
              MAKELPARAM(p.x, p.y));
  }
}

void QueueWheel(int delta) {
  Window* w = MainWindow();
  if (w == nullptr || delta == 0) return;
  const WPARAM wParam = MAKEWPARAM(static_cast<int>(MouseKeyFlags()), delta);
  PushInput(w, WM_MOUSEWHEEL, wParam, MAKELPARAM(S().cursor.x, S().cursor.y));
}

void QueueDeviceChange() { PushInput(nullptr, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0); }

void QueueActivation(bool active, bool minimised) {
  if (active == S().active) return;
  Window* w = MainWindow();
  if (w == nullptr) return;
  S().active = active;
  const WPARAM thread = GetCurrentThreadId();
  if (active) {
    PushInput(w, WM_ACTIVATEAPP, TRUE, static_cast<LPARAM>(thread));
    PushInput(w, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, minimised ? 1 : 0), 0);
  } else {
    PushInput(w, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, minimised ? 1 : 0), 0);
    PushInput(w, WM_ACTIVATEAPP, FALSE, static_cast<LPARAM>(thread));
  }
}

void QueueCloseRequest() { PushInput(nullptr, WM_SYSCOMMAND, SC_CLOSE, 0); }

void QueueMoved(Window& window, int clientX, int clientY) {
  const RECT frame = FrameOf(window.style, window.exStyle);
  const LONG width = window.rect.right - window.rect.left;
  const LONG height = window.rect.bottom - window.rect.top;
  window.rect.left = clientX - frame.left;
  window.rect.top = clientY - frame.top;
  window.rect.right = window.rect.left + width;
  window.rect.bottom = window.rect.top + height;
  PushInput(&window, WM_MOVE, 0, MAKELPARAM(clientX, clientY));
}

void QueueExposed(Window& window) { window.needsPaint = true; }

void QueueTypedText(const char* text) {
  if (text == nullptr || text[0] == '\0') return;
  bool plain = true;
  for (const char* p = text; *p != '\0'; ++p) plain = plain && static_cast<unsigned char>(*p) < 0x80;
  if (plain || !S().imeEnabled) {
    for (const char* p = text; *p != '\0'; ++p) {
      PushInput(nullptr, WM_CHAR, static_cast<unsigned char>(*p), 1);
    }
    return;
  }
  // Anything beyond ASCII arrives as the result of a composition.
  S().pendingResults.push_back(text);
  if (!S().composing) PushInput(nullptr, WM_IME_STARTCOMPOSITION, 0, 0);
  PushInput(nullptr, WM_IME_COMPOSITION, static_cast<unsigned char>(text[0]), 0x0800 /* GCS_RESULTSTR */);
  PushInput(nullptr, WM_IME_ENDCOMPOSITION, 0, 0);
  S().composing = false;
}

void QueueComposition(const char* text) {
  if (!S().imeEnabled || text == nullptr) return;
  if (text[0] == '\0') {
    if (S().composing) PushInput(nullptr, WM_IME_ENDCOMPOSITION, 0, 0);
    S().composing = false;
    S().composition.clear();
    return;
  }
  if (!S().composing) PushInput(nullptr, WM_IME_STARTCOMPOSITION, 0, 0);
  S().composing = true;
  S().composition = text;
  S().compositionCursor = static_cast<int>(S().composition.size());
  PushInput(nullptr, WM_IME_COMPOSITION, 0, 0x0008 | 0x0080 /* GCS_COMPSTR | GCS_CURSORPOS */);
}

void QueueDisplayChange(int width, int height, int depth) {
  PushInput(nullptr, WM_DISPLAYCHANGE, static_cast<WPARAM>(depth), MAKELPARAM(width, height));
}

const BYTE* KeyCodeState() { return S().keyCodes; }
const BYTE* MouseButtonState() { return S().mouseButtons; }

void SetVirtualKeyByte(int virtualKey, BYTE value) {
  if (virtualKey >= 0 && virtualKey <= 255) S().virtualKeys[virtualKey] = value;
}

void SetKeyboardEvent(void* owner, HANDLE event) {
  auto& list = S().keyboardEvents;
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (it->first == owner) {
      list.erase(it);
      break;
    }
  }
  if (event != nullptr) list.emplace_back(owner, event);
}

void SetCursorScreenPosition(int x, int y) { S().cursor = POINT{x, y}; }
int CursorCount() { return S().cursorCount; }
const std::string& ResultText() { return S().result; }
const std::string& CompositionText() { return S().composition; }

void ApplyCursorState() { native::ApplyCursor(S().cursorCount >= 0 && S().cursorImage != nullptr); }

}  // namespace windows

using namespace windows;

BOOL GetKeyboardState(BYTE* state) {
  if (state == nullptr) return FALSE;
  for (int i = 0; i < 256; ++i) state[i] = S().virtualKeys[i];
  return TRUE;
}

short GetAsyncKeyState(int virtualKey) {
  if (virtualKey <= 0 || virtualKey > 255) return 0;
  return (S().virtualKeys[virtualKey] & 0x80) ? static_cast<short>(0x8000) : 0;
}

BOOL GetCursorPos(POINT* point) {
  if (point == nullptr) return FALSE;
  POINT p{};
  if (native::CursorPosition(&p)) S().cursor = p;
  *point = S().cursor;
  return TRUE;
}

int ShowCursor(BOOL show) {
  S().cursorCount += show ? 1 : -1;
  ApplyCursorState();
  return S().cursorCount;
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR previous = S().cursorImage;
  S().cursorImage = cursor;
  ApplyCursorState();
  return previous;
}

HCURSOR LoadCursorA(HINSTANCE instance, const char* name) {
  if (instance == nullptr && name == MAKEINTRESOURCEA(IDC_ARROW_ID)) return ArrowCursor();
  return nullptr;
}

HICON LoadIconA(HINSTANCE, const char*) {
  // The program carries no icon resources; a window without an icon gets the system's.
  return nullptr;
}
