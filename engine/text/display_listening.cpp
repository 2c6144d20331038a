#include "../graphics/display_listeners.h"
#include "font_system.h"
#include "screen_log.h"

namespace {

const DisplayListener FontListener{
    [] { StartFontSystem(); },
    [] { EndFontSystem(); },
    [] { RecreateAllFonts(); },
    nullptr,
};

const DisplayListener ScreenLogListener{nullptr, nullptr, nullptr, [] { DrawScreenLog(); }};

}  // namespace

void ListenToDisplay() {
  AddDisplayListener(&FontListener);
  AddDisplayListener(&ScreenLogListener);
}
