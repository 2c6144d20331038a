// System parameters, desktop metrics, display modes and stock objects.
#include "platform/gdi32.h"
#include "platform_contract.h"
#include "window_system_state.h"

using namespace windows;

BOOL SystemParametersInfoA(UINT action, UINT uiParam, void* pvParam, UINT) {
  switch (action) {
    case SPI_GETSCREENSAVEACTIVE:
      if (pvParam == nullptr) return FALSE;
      *static_cast<BOOL*>(pvParam) = S().screenSaverActive ? TRUE : FALSE;
      return TRUE;
    case SPI_SETSCREENSAVEACTIVE:
      S().screenSaverActive = uiParam != 0;
      native::SetScreenSaver(S().screenSaverActive);
      return TRUE;
    default:
      return FALSE;
  }
}

int GetSystemMetrics(int index) {
  if (index == SM_CXSCREEN) return native::DesktopWidth();
  if (index == SM_CYSCREEN) return native::DesktopHeight();
  return 0;
}

BOOL EnumDisplaySettingsA(const char* deviceName, DWORD modeNumber, DEVMODEA* mode) {
  if (deviceName != nullptr || mode == nullptr) return FALSE;
  return native::DisplayMode(modeNumber, mode) ? TRUE : FALSE;
}

LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD) {
  DEVMODEA before{}, after{};
  const bool known = native::DisplayMode(ENUM_CURRENT_SETTINGS, &before);
  const LONG result = native::ChangeDisplayMode(mode);
  // The windows hear of a mode that really changed, with its depth and size.
  if (result == DISP_CHANGE_SUCCESSFUL && known && native::DisplayMode(ENUM_CURRENT_SETTINGS, &after) &&
      (after.dmPelsWidth != before.dmPelsWidth || after.dmPelsHeight != before.dmPelsHeight ||
       after.dmBitsPerPel != before.dmBitsPerPel)) {
    QueueDisplayChange(static_cast<int>(after.dmPelsWidth), static_cast<int>(after.dmPelsHeight),
                       static_cast<int>(after.dmBitsPerPel));
  }
  return result;
}

PlatformObject* GetStockObject(int index) {
  struct Brush final : PlatformObject {
    Brush() : PlatformObject(PlatformObjectKind::Resource) {}
  };
  static Brush black, hollow;
  if (index == BLACK_BRUSH) return &black;
  if (index == NULL_BRUSH) return &hollow;
  return nullptr;
}

int FillRect(HDC context, const RECT* rect, HBRUSH brush) {
  // The window's pixels belong to the graphics back-end; before it starts there is nothing to
  // fill, and the back-end paints the whole client area on its first present.
  return context != nullptr && context->kind == PlatformObjectKind::DeviceContext && rect != nullptr && brush != nullptr
             ? 1
             : 0;
}
