#include "gl_driver_pin.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>

namespace gl {

#if defined(__SANITIZE_ADDRESS__)
namespace {

// Mesa's drivers: <libdir>/dri/<name>_dri.so, and the gallium library newer releases load.
bool IsMesaDriver(const char* path) {
  return path != nullptr && (std::strstr(path, "/dri/") != nullptr || std::strstr(path, "libgallium") != nullptr);
}

int Pin(struct dl_phdr_info* info, std::size_t, void*) {
  // Already loaded: this only takes one more reference and marks the object never to go.
  if (IsMesaDriver(info->dlpi_name)) dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
  return 0;
}

}  // namespace

void KeepDriverForLeakCheck() {
  static bool pinned = false;
  if (pinned) return;
  pinned = true;
  dl_iterate_phdr(Pin, nullptr);
}
#else
void KeepDriverForLeakCheck() {}
#endif

}  // namespace gl
