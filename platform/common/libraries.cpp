// The libraries the engine loads by name. Only "d3d9.dll" is known; its Direct3DCreate9 is
// defined by the platform implementation linked.
#include <strings.h>

#include <cstring>

#include "platform/d3d9.h"
#include "dsound_standin.h"
#include "platform/kernel32.h"
#include "platform_object.h"
#include "platform_contract.h"

namespace {

struct Library final : PlatformObject {
  Library() : PlatformObject(PlatformObjectKind::Library) {}
};

Library d3d9;

}  // namespace

HMODULE LoadLibraryA(const char* name) {
  if (HMODULE sound = dsound::LoadLibrary(name)) return sound;
  if (name == nullptr || strcasecmp(name, "d3d9.dll") != 0 || !PlatformHasLibrary(name)) return nullptr;
  return &d3d9;
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
  if (dsound::IsLibrary(module)) return dsound::GetProc(module, name);
  if (module != &d3d9 || name == nullptr) return nullptr;
  if (std::strcmp(name, "Direct3DCreate9") == 0) return reinterpret_cast<FARPROC>(&Direct3DCreate9);
  return nullptr;
}

BOOL FreeLibrary(HMODULE module) { return module == &d3d9 || dsound::IsLibrary(module) ? TRUE : FALSE; }
