// Finding a window of another copy of the program. On an X display a window claims its class on
// the display itself (x11_instance_claim.h); under drivers without a display to ask, it holds a
// lock file named after its class and its driver for as long as it lives, in a directory only
// the user can write to.
#include "instance_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

#include "../common/platform_contract.h"
#include "../common/window_system.h"
#include "sdl_video.h"
#include "x11_instance_claim.h"

namespace instance_lock {

namespace {

// A directory another user cannot have prepared: ours, really a directory (no link to follow),
// and writable by no one else.
bool OwnPrivateDirectory(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
         (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Said once for each place: every window's check looks at the place again, and so does a game
// that starts the engine again; only a place not yet refused in this process is news.
void ReportNoPlace(const std::string& place, const std::string& why) {
  static std::set<std::string> told;
  if (!told.insert(place).second) return;
  std::fprintf(stderr, "%s: a second copy cannot be detected: no safe place for the lock file (%s)\n",
               program_invocation_short_name, why.c_str());
}

std::string XDisplayScope(std::string name) {
  // [host]:display[.screen]; the screen does not matter, and "unix" is the local socket.
  const std::size_t colon = name.rfind(':');
  if (colon == std::string::npos) return name;
  std::string host = name.substr(0, colon);
  std::string number = name.substr(colon + 1);
  if (const std::size_t dot = number.find('.'); dot != std::string::npos) number.resize(dot);
  if (host == "unix") host.clear();
  return host + ":" + number;
}

}  // namespace

std::string ScopeOf(const char* driver, const char* x11Display, const char* waylandDisplay, const char* runtimeDir) {
  std::string d = driver != nullptr ? driver : "";
  if (d == "x11") return "x11 " + XDisplayScope(x11Display != nullptr ? x11Display : "");
  if (d == "wayland") {
    std::string name = waylandDisplay != nullptr && waylandDisplay[0] != '\0' ? waylandDisplay : "wayland-0";
    if (name[0] != '/' && runtimeDir != nullptr) name = std::string(runtimeDir) + "/" + name;
    return "wayland " + name;
  }
  return d;
}

std::string Directory() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && runtime[0] == '/') {
    if (OwnPrivateDirectory(runtime)) return runtime;
  }
  const char* tmp = std::getenv("TMPDIR");
  const std::string base = tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp";
  std::string dir = base + "/vornek-" + std::to_string(getuid());
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    ReportNoPlace(dir, dir + ": " + std::strerror(errno));
    return {};
  }
  if (!OwnPrivateDirectory(dir)) {
    ReportNoPlace(dir, dir + " is not a directory of this user's that only this user can write to");
    return {};
  }
  return dir;
}

}  // namespace instance_lock

namespace {

std::map<const Window*, int> held;     // lock files
std::map<const Window*, int> xClaims;  // claims on the X display

// The scope of the display SDL opened, taken once: the environment may change afterwards, the
// connection does not.
struct Scope {
  std::string text;
  bool x11 = false;
  std::string x11Display;  // the name SDL's connection was opened with
};

bool DisplayScope(Scope* scope) {
  static Scope taken;
  if (!StartSdlVideo()) return false;
  if (taken.text.empty()) {
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* display = std::getenv("DISPLAY");
    taken.text =
        instance_lock::ScopeOf(driver, display, std::getenv("WAYLAND_DISPLAY"), std::getenv("XDG_RUNTIME_DIR"));
    // Copies given different scopes on purpose (the tests, which must never meet a game the
    // player runs, nor each other) do not meet either.
    if (const char* own = std::getenv("VORNEK_INSTANCE_SCOPE"); own != nullptr && own[0] != '\0') {
      taken.text += std::string("\n") + own;
    }
    taken.x11 = driver != nullptr && std::strcmp(driver, "x11") == 0;
    taken.x11Display = display != nullptr ? display : "";
  }
  *scope = taken;
  return true;
}

void SayAnotherCopyRuns() {
  // The program that asks is about to end for this reason, and its log may well be off: this
  // is the one line that tells the player why nothing appears.
  std::fprintf(stderr, "%s: cannot start: another copy is already running\n", program_invocation_short_name);
}

// Class names are arbitrary bytes in the system code page; the file is named by a hash of the
// scope and the class.
std::string LockPath(const Scope& scope, const std::string& className) {
  const std::string dir = instance_lock::Directory();
  if (dir.empty()) return {};
  std::uint64_t hash = 0xcbf29ce484222325ull;
  const std::string key = scope.text + '\n' + className;
  for (unsigned char c : key) hash = (hash ^ c) * 0x100000001b3ull;
  char name[64];
  std::snprintf(name, sizeof name, "/vornek-window-%016llx.lock", static_cast<unsigned long long>(hash));
  return dir + name;
}

int OpenLock(const Scope& scope, const std::string& className) {
  const std::string path = LockPath(scope, className);
  if (path.empty()) return -1;
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (fd < 0) return -1;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != getuid()) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

namespace native {

bool OtherInstanceHolds(const std::string& className) {
  Scope scope;
  if (!DisplayScope(&scope)) return false;  // no display, no window: nothing to find
  if (scope.x11) {
    const bool heldElsewhere = x11::ClaimHeld(scope.x11Display, scope.text + '\n' + className);
    if (heldElsewhere) SayAnotherCopyRuns();
    return heldElsewhere;
  }
  const int fd = OpenLock(scope, className);
  if (fd < 0) return false;
  const bool heldElsewhere = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  close(fd);  // also drops the lock if we got it
  if (heldElsewhere) SayAnotherCopyRuns();
  return heldElsewhere;
}

// A window is created even when no claim can be made (no safe directory, said once on standard
// error): only the double-start check loses its reach then.
bool ClaimClass(Window& window) {
  Scope scope;
  if (!DisplayScope(&scope)) return true;
  if (scope.x11) {
    int token = 0;
    switch (x11::TakeClaim(scope.x11Display, scope.text + '\n' + window.className, &token)) {
      case x11::Claim::Taken:
        xClaims[&window] = token;
        return true;
      case x11::Claim::HeldElsewhere:
        return false;
      case x11::Claim::Unavailable:
        return true;
    }
  }
  const int fd = OpenLock(scope, window.className);
  if (fd < 0) return true;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return errno != EWOULDBLOCK;
  }
  held[&window] = fd;
  return true;
}

void ReleaseClaim(Window& window) {
  if (auto it = xClaims.find(&window); it != xClaims.end()) {
    x11::ReleaseClaim(it->second);
    xClaims.erase(it);
  }
  auto it = held.find(&window);
  if (it == held.end()) return;
  close(it->second);
  held.erase(it);
}

}  // namespace native
