// The input method stand-in: composition and result texts of the text being entered.
#include <cstring>

#include "platform/imm32.h"
#include "platform_contract.h"
#include "window_system_state.h"

using namespace windows;

namespace {
struct InputContext final : PlatformObject {
  InputContext() : PlatformObject(PlatformObjectKind::InputContext) {}
};
InputContext context;
}  // namespace

BOOL WINNLSEnableIME(HWND window, BOOL enable) {
  const BOOL previous = S().imeEnabled ? TRUE : FALSE;
  if (window != nullptr && Find(window) == nullptr) return previous;
  S().imeEnabled = enable != 0;
  if (!S().imeEnabled) {
    S().composing = false;
    S().composition.clear();
  }
  return previous;
}

HIMC ImmGetContext(HWND window) { return Find(window) != nullptr ? &context : nullptr; }

BOOL ImmReleaseContext(HWND window, HIMC himc) { return Find(window) != nullptr && himc == &context ? TRUE : FALSE; }

LONG ImmGetCompositionStringA(HIMC himc, DWORD index, void* buffer, DWORD size) {
  if (himc != &context) return -1;
  const std::string* text = nullptr;
  switch (index) {
    case GCS_COMPSTR:
      text = &S().composition;
      break;
    case GCS_RESULTSTR:
      text = &S().result;
      break;
    case GCS_CURSORPOS:
      return S().compositionCursor;
    case GCS_COMPCLAUSE:
      return 0;
    default:
      return -1;
  }
  const DWORD length = static_cast<DWORD>(text->size());
  if (size == 0 || buffer == nullptr) return static_cast<LONG>(length);
  const DWORD copied = length < size ? length : size;
  std::memcpy(buffer, text->data(), copied);
  return static_cast<LONG>(copied);
}

BOOL ImmGetOpenStatus(HIMC himc) { return himc == &context && S().imeEnabled ? TRUE : FALSE; }
