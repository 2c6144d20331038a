// Finding a window of another copy of the program: a window holds a lock file named after its
// class for as long as it lives, in the user's runtime directory.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "../common/window_system.h"

namespace {

std::map<const Window*, int> held;

std::string LockDirectory() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && runtime[0] == '/') {
    struct stat info {};
    if (stat(runtime, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid()) return runtime;
  }
  const std::string dir = "/tmp/vornek-" + std::to_string(getuid());
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return {};
  struct stat info {};
  if (lstat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid()) return {};
  return dir;
}

// Class names are arbitrary bytes in the system code page; the file is named by their hash.
std::string LockPath(const std::string& className) {
  const std::string dir = LockDirectory();
  if (dir.empty()) return {};
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : className) hash = (hash ^ c) * 0x100000001b3ull;
  char name[64];
  std::snprintf(name, sizeof name, "/vornek-window-%016llx.lock", static_cast<unsigned long long>(hash));
  return dir + name;
}

int OpenLock(const std::string& className) {
  const std::string path = LockPath(className);
  if (path.empty()) return -1;
  return open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
}

}  // namespace

namespace native {

bool OtherInstanceHolds(const std::string& className) {
  const int fd = OpenLock(className);
  if (fd < 0) return false;
  const bool heldElsewhere = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  close(fd);  // also drops the lock if we got it
  // The program that asks is about to end for this reason, and its log may well be off: this
  // is the one line that tells the player why nothing appears.
  if (heldElsewhere) {
    std::fprintf(stderr, "%s: cannot start: another copy is already running\n", program_invocation_short_name);
  }
  return heldElsewhere;
}

// A window is created even when no lock can be made (no writable directory): only the
// double-start check loses its reach then.
bool ClaimClass(Window& window) {
  const int fd = OpenLock(window.className);
  if (fd < 0) return true;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return errno != EWOULDBLOCK;
  }
  held[&window] = fd;
  return true;
}

void ReleaseClaim(Window& window) {
  auto it = held.find(&window);
  if (it == held.end()) return;
  close(it->second);
  held.erase(it);
}

}  // namespace native
