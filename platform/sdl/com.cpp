// COM has no counterpart here; the engine only needs its start and end to pair up, and the
// classes it creates (DirectInput) are served in-process.
#include "platform/ole32.h"
#include "../common/dinput_standin.h"

namespace {
int comDepth = 0;
}

HRESULT CoInitialize(void* reserved) {
  if (reserved != nullptr) return E_FAIL;
  return comDepth++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  if (comDepth > 0) --comDepth;
}

HRESULT CoCreateInstance(const GUID& classId, void* outer, DWORD context, const GUID& interfaceId, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr || context != CLSCTX_INPROC_SERVER) return REGDB_E_CLASSNOTREG;
  DWORD version = 0;
  if (classId == CLSID_DirectInput && interfaceId == IID_IDirectInput7A) {
    version = 0x700;
  } else if (classId == CLSID_DirectInput8 && interfaceId == IID_IDirectInput8A) {
    version = 0x800;
  } else {
    return REGDB_E_CLASSNOTREG;
  }
  *object = static_cast<IDirectInput*>(dinput::CreateObject(version));
  return *object != nullptr ? S_OK : E_FAIL;
}
