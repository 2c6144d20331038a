// The window manager shared by both platform implementations: classes, windows, the message
// queue with its timers and paint requests, keyboard and mouse state. Each implementation
// supplies the native side (namespace native, in platform_contract.h) and feeds its events in
// through the Queue* functions, so both follow one set of queue rules.
#pragma once

#include <string>

#include "platform/user32.h"
#include "platform_object.h"

struct Window;

// The device context of a window's client area, handed out by BeginPaint.
struct WindowDC final : PlatformObject {
  explicit WindowDC(Window* w) : PlatformObject(PlatformObjectKind::DeviceContext), window(w) {}
  Window* window;
};

struct Window final : PlatformObject {
  Window() : PlatformObject(PlatformObjectKind::Window), dc(this) {}
  std::string className;
  std::string title;  // system code page
  WNDPROC procedure = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect{};  // outer rectangle on the screen
  bool visible = false;
  bool minimised = false;
  bool topMost = false;
  bool needsPaint = false;
  bool destroyStarted = false;
  bool destroying = false;
  DWORD threadId = 0;
  WindowDC dc;
  void* native = nullptr;  // owned by the implementation
};

namespace windows {

// The window this handle names, or null for anything else (including destroyed windows).
Window* Find(HWND handle);
// The first live window of the calling process (events without a window go to it).
Window* MainWindow();
// Frame sizes this window manager draws around a client area for a style.
RECT FrameOf(DWORD style, DWORD exStyle);
RECT ClientRectOnScreen(const Window& window);

// Feeding events in. Positions are screen coordinates; virtualKey 0 means no such key.
void QueueKey(int virtualKey, int keyCode, bool down);
void QueueMouseMove(int screenX, int screenY);
void QueueMouseButton(int button, bool down);  // 0 left, 1 right, 2 middle, 3-7 others
// Wheel motion in WHEEL_DELTA units, positive away from the user.
void QueueWheel(int delta);
// A game controller was attached or removed.
void QueueDeviceChange();
void QueueActivation(bool active, bool minimised);
void QueueCloseRequest();
void QueueMoved(Window& window, int clientX, int clientY);
void QueueExposed(Window& window);
// Typed text already in the system code page.
void QueueTypedText(const char* text);
void QueueComposition(const char* text);
void QueueDisplayChange(int width, int height, int depth);

// Input state as the devices see it.
const BYTE* KeyCodeState();      // 256 bytes by DirectInput key code
const BYTE* MouseButtonState();  // 8 bytes
// Sets one byte of the Windows key state only (what DirectInput sees is unchanged).
void SetVirtualKeyByte(int virtualKey, BYTE value);
// Manual-reset events signalled on every keyboard change.
void SetKeyboardEvent(void* owner, HANDLE event);
void SetCursorScreenPosition(int x, int y);
int CursorCount();

// The key table: rows {USB usage (also SDL's scancode), virtual key, DirectInput key code}.
struct KeyRow {
  int usage;
  int virtualKey;
  int keyCode;
};
const KeyRow* KeyRowByUsage(int usage);
const KeyRow* KeyRowByKeyCode(int keyCode);

// The composition text the input method stand-in holds (system code page).
const std::string& ResultText();
const std::string& CompositionText();

// Everything back to the start: no windows, no classes, empty queue, nothing held.
void Reset();

}  // namespace windows
