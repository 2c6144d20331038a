#include "platform/user32.h"
#include "platform_contract.h"
#include "platform_object.h"

namespace {
struct Desktop final : PlatformObject {
  Desktop() : PlatformObject(PlatformObjectKind::Desktop) {}
};
Desktop desktop;
}  // namespace

HWND GetDesktopWindow() { return &desktop; }
