// The native side of the window system in memory: windows exist only as records, and input
// comes from the test's script.
#include <algorithm>
#include <cstring>

#include "../common/platform_contract.h"
#include "fake_state.h"
#include "../common/window_system.h"

namespace fake {

void Apply(const InputEvent& event) {
  switch (event.kind) {
    case EventKind::KeyDown:
    case EventKind::KeyUp: {
      const windows::KeyRow* row = windows::KeyRowByKeyCode(event.a);
      windows::QueueKey(row != nullptr ? row->virtualKey : 0, event.a, event.kind == EventKind::KeyDown);
      break;
    }
    case EventKind::MouseMove:
      windows::QueueMouseMove(event.a, event.b);
      break;
    case EventKind::ButtonDown:
    case EventKind::ButtonUp:
      windows::QueueMouseButton(event.a, event.kind == EventKind::ButtonDown);
      break;
    case EventKind::Activate:
    case EventKind::Deactivate:
      windows::QueueActivation(event.kind == EventKind::Activate, false);
      break;
    case EventKind::Close:
      windows::QueueCloseRequest();
      break;
    case EventKind::Text:
      windows::QueueTypedText(event.text.c_str());
      break;
    case EventKind::Move:
      if (Window* w = windows::MainWindow(); w != nullptr) windows::QueueMoved(*w, event.a, event.b);
      break;
    case EventKind::Wheel:
      windows::QueueWheel(event.a);
      break;
  }
}

}  // namespace fake

using fake::State;

namespace native {

bool CreateNativeWindow(Window& window) {
  if (fake::Fails(fake::Failure::CreateWindow)) return false;
  ++State().nativeWindows;
  State().nativeTitle = window.title;
  fake::Record("CreateWindow");
  window.native = &State();
  return true;
}

void DestroyNativeWindow(Window& window) {
  if (window.native == nullptr) return;
  window.native = nullptr;
  --State().nativeWindows;
  fake::Record("DestroyWindow/" + std::to_string(fake::LiveInputObjects()));
}

void SetNativeTitle(Window& window) { State().nativeTitle = window.title; }
void SetNativeGeometry(Window&) {}
void ShowNativeWindow(Window&) {}
void RaiseNativeWindow(Window&) { fake::RecordStacking("Raise"); }
void SetNativeTopMost(Window& window) { fake::RecordStacking(window.topMost ? "TopMost" : "NotTopMost"); }

void PollEvents(DWORD waitMilliseconds) {
  // A blocking wait is time passing on the fake clock.
  State().clock += waitMilliseconds;
  auto& script = State().script;
  std::vector<fake::ScheduledEvent> due;
  for (auto it = script.begin(); it != script.end();) {
    if (it->pass <= State().pass) {
      due.push_back(*it);
      it = script.erase(it);
    } else {
      ++it;
    }
  }
  for (const auto& entry : due) fake::Apply(entry.event);
}

void QueueFoundEmpty() {
  ++State().pass;
  State().clock += State().idlePassTime;
}

bool AllowClassRegistration() { return !fake::Fails(fake::Failure::RegisterClass); }

bool OtherInstanceHolds(const std::string&) { return State().anotherInstance; }
bool ClaimClass(Window&) { return true; }
void ReleaseClaim(Window&) {}

bool CursorPosition(POINT*) { return false; }
void ApplyCursor(bool visible) { State().cursorVisible = visible; }
void SetScreenSaver(bool enabled) { State().screenSaver = enabled; }
int DesktopWidth() { return State().desktopWidth; }
int DesktopHeight() { return State().desktopHeight; }

bool DisplayMode(DWORD index, DEVMODEA* mode) {
  fake::Mode m{State().desktopWidth, State().desktopHeight, State().desktopDepth, 60};
  if (index == ENUM_CURRENT_SETTINGS && State().changedWidth != 0) {
    m = fake::Mode{State().changedWidth, State().changedHeight, State().changedDepth, 60};
  } else if (index != ENUM_CURRENT_SETTINGS && index != 0) {
    if (index - 1 >= State().modes.size()) return false;
    m = State().modes[index - 1];
  }
  std::memset(mode, 0, sizeof *mode);
  mode->dmSize = sizeof *mode;
  mode->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
  mode->dmPelsWidth = static_cast<DWORD>(m.width);
  mode->dmPelsHeight = static_cast<DWORD>(m.height);
  mode->dmBitsPerPel = static_cast<DWORD>(m.bits);
  mode->dmDisplayFrequency = static_cast<DWORD>(m.frequency);
  return true;
}

LONG ChangeDisplayMode(const DEVMODEA* mode) {
  if (mode == nullptr) {
    State().changedWidth = State().changedHeight = 0;
    return DISP_CHANGE_SUCCESSFUL;
  }
  const bool known = std::any_of(State().modes.begin(), State().modes.end(), [mode](const fake::Mode& m) {
    return static_cast<DWORD>(m.width) == mode->dmPelsWidth && static_cast<DWORD>(m.height) == mode->dmPelsHeight;
  });
  if (!known) return DISP_CHANGE_BADMODE;
  State().changedWidth = static_cast<int>(mode->dmPelsWidth);
  State().changedHeight = static_cast<int>(mode->dmPelsHeight);
  State().changedDepth = static_cast<int>(mode->dmBitsPerPel);
  return DISP_CHANGE_SUCCESSFUL;
}

}  // namespace native
