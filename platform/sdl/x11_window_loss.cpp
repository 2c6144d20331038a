#include "x11_window_loss.h"

// Xlib's names (Window, None, Bool, ...) clash with the window manager's, so this file speaks
// to the rest of the platform through SDL windows only.
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <errno.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

namespace x11 {

namespace {

struct Watched {
  Display* display = nullptr;
  ::Window id = 0;
  bool lost = false;
  bool reported = false;
};

std::map<SDL_Window*, Watched> watched;
std::vector<::Window> gone;  // windows lost from outside and since forgotten
bool watching = false;

Watched* ById(::Window id) {
  for (auto& entry : watched) {
    if (entry.second.id == id) return &entry.second;
  }
  return nullptr;
}

bool LostId(::Window id) {
  if (Watched* w = ById(id); w != nullptr) {
    w->lost = true;
    return true;
  }
  for (::Window g : gone) {
    if (g == id) return true;
  }
  return false;
}

// Requests on a watched window that is already gone fail quietly; it is closed at the next
// look at the events. Any other error is the program's own and is told once per kind, never
// fatal: a game keeps running rather than vanish over a request the display refused.
int OnError(Display* display, XErrorEvent* error) {
  if ((error->error_code == BadWindow || error->error_code == BadDrawable) && LostId(error->resourceid)) return 0;
  static unsigned char told[256][256];
  unsigned char& once = told[error->error_code][error->request_code];
  if (once) return 0;
  once = 1;
  char text[128] = "";
  XGetErrorText(display, error->error_code, text, sizeof text);
  std::fprintf(stderr, "%s: X error ignored: %s (request %d.%d, resource 0x%lx)\n", program_invocation_short_name, text,
               error->request_code, error->minor_code, error->resourceid);
  return 0;
}

// The connection itself is gone (the X server ended, the session closed): Xlib cannot go on.
// Its own handler exits through the process's exit handlers, and SDL's clean-up among them
// waits on the dead connection for an event that never comes, spinning a core for ever. The
// process ends here instead, saying why.
int OnConnectionLost(Display* display) {
  std::fprintf(stderr, "%s: the connection to the X display %s was lost; the program ends\n",
               program_invocation_short_name, DisplayString(display));
  std::fflush(stderr);
  _exit(EXIT_FAILURE);
}

// SDL replaces a window's X window when it makes it able to carry OpenGL; the old one's end is no
// loss. True when the watch moved to the new one.
bool FollowReplacement(SDL_Window* window, Watched& w) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11 || info.info.x11.window == w.id) {
    return false;
  }
  gone.push_back(w.id);
  w.id = info.info.x11.window;
  w.lost = false;
  return true;
}

// Marks the window lost on its DestroyNotify, and keeps every event where it is for SDL to read.
Bool NoteDestroyOf(Display*, XEvent* event, XPointer arg) {
  Watched& w = *reinterpret_cast<Watched*>(arg);
  if (event->type == DestroyNotify && event->xdestroywindow.window == w.id) w.lost = true;
  return False;
}

// XCheckIfEvent reads what the connection holds without waiting and without a round trip; an
// error on the window read on the way marks it lost as well (OnError).
void LookForDestroy(Watched& w) {
  XEvent unused;
  XCheckIfEvent(w.display, &unused, NoteDestroyOf, reinterpret_cast<XPointer>(&w));
}

}  // namespace

void WatchDisplay() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || std::strcmp(driver, "x11") != 0) return;
  watching = true;
  XSetErrorHandler(OnError);
  XSetIOErrorHandler(OnConnectionLost);
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

void WatchWindow(SDL_Window* window) {
  if (!watching || window == nullptr) return;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  watched[window] = Watched{info.info.x11.display, info.info.x11.window, false, false};
}

void ForgetWindow(SDL_Window* window) {
  auto it = watched.find(window);
  if (it == watched.end()) return;
  // SDL's own clean-up of a lost window still makes requests on it; they keep failing quietly,
  // here and now: when SDL shuts down it puts Xlib's exiting handler back before the last flush.
  if (it->second.lost) {
    gone.push_back(it->second.id);
    XSync(it->second.display, False);
  }
  watched.erase(it);
}

void NoteEvent(const SDL_SysWMmsg* message) {
  if (message == nullptr || message->subsystem != SDL_SYSWM_X11) return;
  const XEvent& event = message->msg.x11.event;
  if (event.type != DestroyNotify) return;
  if (Watched* w = ById(event.xdestroywindow.window); w != nullptr) w->lost = true;
}

bool HasInputFocus(SDL_Window* window) {
  auto it = watched.find(window);
  if (it == watched.end() || it->second.lost) return false;
  ::Window focus = 0;
  int revert = 0;
  XGetInputFocus(it->second.display, &focus, &revert);
  return focus == it->second.id;
}

bool TakeLoss(SDL_Window* window) {
  auto it = watched.find(window);
  if (it == watched.end() || !it->second.lost || it->second.reported) return false;
  if (FollowReplacement(window, it->second)) return false;
  it->second.reported = true;
  return true;
}

bool Lost(SDL_Window* window) {
  auto it = watched.find(window);
  if (it == watched.end()) return false;
  Watched& w = it->second;
  if (!w.lost) LookForDestroy(w);
  if (w.lost && FollowReplacement(window, w)) LookForDestroy(w);
  return w.lost;
}

}  // namespace x11
