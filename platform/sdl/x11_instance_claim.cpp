#include "x11_instance_claim.h"

// Xlib's names (Window, None, Bool, ...) clash with the window manager's: this file sees only
// texts and tokens.
#include <X11/Xlib.h>

#include <cstdint>
#include <cstdio>
#include <map>

namespace x11 {

namespace {

// A connection of our own, apart from SDL's: the claims' windows take no part in SDL's event
// handling, and the server grab below cannot hold up the window's own requests for longer than
// two round trips.
struct Connection {
  Display* display = nullptr;
  std::string name;
};
Connection connection;
std::map<int, ::Window> claims;
int lastToken = 0;

Display* Open(const std::string& name) {
  if (connection.display != nullptr && connection.name == name) return connection.display;
  if (connection.display != nullptr && claims.empty()) {
    XCloseDisplay(connection.display);
    connection.display = nullptr;
  }
  if (connection.display != nullptr) return nullptr;  // claims live on another display
  connection.display = XOpenDisplay(name.empty() ? nullptr : name.c_str());
  connection.name = name;
  return connection.display;
}

void CloseIfUnused() {
  if (connection.display == nullptr || !claims.empty()) return;
  XCloseDisplay(connection.display);
  connection.display = nullptr;
}

// Class names are arbitrary bytes in the system code page; the selection is named by a hash.
Atom SelectionOf(Display* display, const std::string& key) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : key) hash = (hash ^ c) * 0x100000001b3ull;
  char name[64];
  std::snprintf(name, sizeof name, "_VORNEK_WINDOW_CLASS_%016llx", static_cast<unsigned long long>(hash));
  return XInternAtom(display, name, False);
}

}  // namespace

bool ClaimHeld(const std::string& displayName, const std::string& key) {
  Display* display = Open(displayName);
  if (display == nullptr) return false;
  const ::Window owner = XGetSelectionOwner(display, SelectionOf(display, key));
  bool ours = false;
  for (const auto& claim : claims) ours = ours || claim.second == owner;
  CloseIfUnused();
  return owner != None && !ours;
}

Claim TakeClaim(const std::string& displayName, const std::string& key, int* token) {
  Display* display = Open(displayName);
  if (display == nullptr) return Claim::Unavailable;
  const Atom selection = SelectionOf(display, key);
  // Never mapped, never seen: it only owns the selection.
  const ::Window window = XCreateWindow(display, DefaultRootWindow(display), -1, -1, 1, 1, 0, CopyFromParent, InputOnly,
                                        CopyFromParent, 0, nullptr);
  // Looking and taking under one grab: of two copies starting at once, exactly one finds the
  // selection free.
  XGrabServer(display);
  const bool free = XGetSelectionOwner(display, selection) == None;
  if (free) XSetSelectionOwner(display, selection, window, CurrentTime);
  XUngrabServer(display);
  const bool taken = free && XGetSelectionOwner(display, selection) == window;
  if (!taken) {
    XDestroyWindow(display, window);
    XSync(display, False);
    CloseIfUnused();
    return free ? Claim::Unavailable : Claim::HeldElsewhere;
  }
  *token = ++lastToken;
  claims[*token] = window;
  return Claim::Taken;
}

void ReleaseClaim(int token) {
  auto it = claims.find(token);
  if (it == claims.end()) return;
  XDestroyWindow(connection.display, it->second);
  XSync(connection.display, False);
  claims.erase(it);
  CloseIfUnused();
}

}  // namespace x11
