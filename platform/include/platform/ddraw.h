// DirectDraw 7: on this engine only the wait for the display's vertical blank.
#pragma once

#include "platform/ole32.h"
#include "platform/win32_types.h"

constexpr DWORD DDSCL_NORMAL = 0x00000008;
constexpr DWORD DDSCL_FPUPRESERVE = 0x00001000;
constexpr DWORD DDWAITVB_BLOCKBEGIN = 0x00000001;

class IDirectDraw7 {
 public:
  virtual HRESULT Initialize(const GUID* driver) = 0;
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
  // *inVerticalBlank is TRUE while the display is between two refreshes.
  virtual HRESULT GetVerticalBlankStatus(BOOL* inVerticalBlank) = 0;
  virtual HRESULT WaitForVerticalBlank(DWORD flags, HANDLE event) = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IDirectDraw7() = default;
};

extern const CLSID CLSID_DirectDraw7;
extern const IID IID_IDirectDraw7;
