// SDL events turned into window messages.
#include "../common/platform_contract.h"
#include "../common/window_system.h"
#include "code_page.h"
#include "sdl_video.h"
#include "x11_window_loss.h"
#include "end_signals.h"

namespace {

Window* WindowOf(Uint32 id) {
  SDL_Window* sdlWindow = SDL_GetWindowFromID(id);
  Window* main = windows::MainWindow();
  if (main == nullptr) return nullptr;
  return sdlWindow != nullptr && main->native == sdlWindow ? main : nullptr;
}

// The window an input event belongs to. Input the player gave a window since replaced by
// another SDL window in the same place (see OpenGlWindowOf) belongs to the window that goes on.
Window* InputWindowOf(Uint32 id) {
  if (Window* w = WindowOf(id)) return w;
  Window* main = windows::MainWindow();
  SDL_Window* successor = SdlWindowSucceeding(id);
  return main != nullptr && successor != nullptr && main->native == successor ? main : nullptr;
}

POINT ScreenPoint(Uint32 windowId, int x, int y) {
  Window* w = InputWindowOf(windowId);
  if (w == nullptr) return POINT{x, y};
  // A scaled picture maps the pointer back to its own pixels.
  return WindowPointToScreen(*w, x, y);
}

int ButtonIndex(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT:
      return 0;
    case SDL_BUTTON_RIGHT:
      return 1;
    case SDL_BUTTON_MIDDLE:
      return 2;
    case SDL_BUTTON_X1:
      return 3;
    case SDL_BUTTON_X2:
      return 4;
    default:
      return -1;
  }
}

bool focusChanged = false;

// Activation follows where the focus is after a look at the events, not every step it took on
// the way: without a window manager a full-screen switch maps the window anew, and the focus
// leaves it and comes back. Taken one by one those steps would make the engine give up
// full-screen and take it again, over and over.
void ReportFocus() {
  Window* w = windows::MainWindow();
  if (w == nullptr || w->native == nullptr) return;
  const Uint32 flags = SDL_GetWindowFlags(static_cast<SDL_Window*>(w->native));
  if (flags & SDL_WINDOW_INPUT_FOCUS) {
    // A window with the focus is on the screen, whether or not a window manager restored it.
    if (w->minimised && !(flags & SDL_WINDOW_MINIMIZED)) {
      w->minimised = false;
      SyncFullScreen(*w);
    }
    windows::QueueActivation(true, false);
  } else {
    windows::QueueActivation(false, w->minimised);
  }
}

void OnWindowEvent(const SDL_WindowEvent& e) {
  // A close the player asked of a window since replaced still stands. The rest of what a
  // replaced window said (its focus and pointer leaving as it was destroyed, its exposure) is
  // about a window that is gone; the one in its place reports its own.
  if (e.event == SDL_WINDOWEVENT_CLOSE && InputWindowOf(e.windowID) != nullptr) {
    windows::QueueCloseRequest();
    return;
  }
  Window* w = WindowOf(e.windowID);
  if (w == nullptr) return;
  switch (e.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_FOCUS_LOST:
      focusChanged = true;
      break;
    case SDL_WINDOWEVENT_MINIMIZED:
      w->minimised = true;
      SyncFullScreen(*w);
      break;
    case SDL_WINDOWEVENT_RESTORED:
      // A mode asked for while the window was minimised takes effect now.
      w->minimised = false;
      SyncFullScreen(*w);
      windows::QueueExposed(*w);
      break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      // A window the player resized shows its picture scaled anew.
      windows::QueueExposed(*w);
      break;
    case SDL_WINDOWEVENT_MOVED: {
      const RECT client = windows::ClientRectOnScreen(*w);
      if (client.left != e.data1 || client.top != e.data2) windows::QueueMoved(*w, e.data1, e.data2);
      break;
    }
    default:
      break;
  }
}

void Translate(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT:
      windows::QueueCloseRequest();
      break;
    case SDL_WINDOWEVENT:
      OnWindowEvent(e.window);
      break;
    case SDL_SYSWMEVENT:
      x11::NoteEvent(e.syswm.msg);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const windows::KeyRow* row = windows::KeyRowByUsage(e.key.keysym.scancode);
      if (row != nullptr) windows::QueueKey(row->virtualKey, row->keyCode, e.type == SDL_KEYDOWN);
      break;
    }
    case SDL_TEXTINPUT:
      windows::QueueTypedText(Utf8ToCodePage(e.text.text).c_str());
      break;
    case SDL_TEXTEDITING:
      windows::QueueComposition(Utf8ToCodePage(e.edit.text).c_str());
      break;
    case SDL_MOUSEMOTION: {
      const POINT p = ScreenPoint(e.motion.windowID, e.motion.x, e.motion.y);
      windows::QueueMouseMove(p.x, p.y);
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const POINT p = ScreenPoint(e.button.windowID, e.button.x, e.button.y);
      windows::SetCursorScreenPosition(p.x, p.y);
      const int button = ButtonIndex(e.button.button);
      if (button >= 0) windows::QueueMouseButton(button, e.type == SDL_MOUSEBUTTONDOWN);
      break;
    }
    case SDL_MOUSEWHEEL: {
      if (InputWindowOf(e.wheel.windowID) == nullptr) break;
      const int notches = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
      windows::QueueWheel(notches * WHEEL_DELTA);
      break;
    }
    case SDL_JOYDEVICEADDED:
    case SDL_JOYDEVICEREMOVED:
      windows::QueueDeviceChange();
      break;
    default:
      break;
  }
}

}  // namespace

namespace native {

void PollEvents(DWORD waitMilliseconds) {
  if (!SdlVideoRunning()) return;
  SDL_Event e;
  RevealOverdueWindow();
  if (waitMilliseconds > 0 && SDL_WaitEventTimeout(&e, static_cast<int>(waitMilliseconds))) Translate(e);
  while (SDL_PollEvent(&e)) Translate(e);
  if (end_signals::Take()) windows::QueueCloseRequest();
  // A window destroyed from outside goes the way of a closed one: the program ends in order.
  if (Window* w = windows::MainWindow(); w != nullptr && x11::TakeLoss(static_cast<SDL_Window*>(w->native))) {
    windows::QueueCloseRequest();
  }
  if (focusChanged) {
    focusChanged = false;
    ReportFocus();
  }
}

void QueueFoundEmpty() {}

}  // namespace native
