#include "dinput_standin.h"
#include "dsound_standin.h"
#include "platform/ddraw.h"
#include "platform_contract.h"

#include <cstring>
#include <new>

const CLSID CLSID_DirectDraw7 = {0x3C305196, 0x50DB, 0x11D3, {0x9C, 0xFE, 0x00, 0xC0, 0x4F, 0xD9, 0x30, 0xC5}};
const IID IID_IDirectDraw7 = {0x15E65EC0, 0x3B9C, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};

namespace {

class DirectDraw final : public IDirectDraw7 {
 public:
  HRESULT Initialize(const GUID*) override { return PlatformDirectDrawInitialize() ? S_OK : E_FAIL; }
  HRESULT SetCooperativeLevel(HWND, DWORD) override { return S_OK; }
  HRESULT GetVerticalBlankStatus(BOOL* inVerticalBlank) override {
    if (inVerticalBlank == nullptr) return E_FAIL;
    *inVerticalBlank = PlatformInVerticalBlank() ? TRUE : FALSE;
    return S_OK;
  }
  HRESULT WaitForVerticalBlank(DWORD flags, HANDLE) override {
    if (flags != DDWAITVB_BLOCKBEGIN) return E_FAIL;
    PlatformWaitForVerticalBlank();
    return S_OK;
  }
  ULONG Release() override {
    delete this;
    return 0;
  }
};

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

// DirectDraw, DirectInput and DirectSound are the classes served.
HRESULT CoCreateInstance(const CLSID& classId, void* outer, DWORD context, const IID& interfaceId, void** object) {
  if (object == nullptr) return E_FAIL;
  *object = nullptr;
  if (outer != nullptr) return E_FAIL;
  if (SameGuid(classId, CLSID_DirectSound)) return dsound::CreateInstance(classId, context, interfaceId, object);
  if (!SameGuid(classId, CLSID_DirectDraw7)) return dinput::CreateInstance(classId, context, interfaceId, object);
  if (!SameGuid(interfaceId, IID_IDirectDraw7)) return REGDB_E_CLASSNOTREG;
  if (!PlatformDirectDrawAvailable()) return E_FAIL;
  *object = new (std::nothrow) DirectDraw;
  return *object != nullptr ? S_OK : E_FAIL;
}
