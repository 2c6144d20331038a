#include "../graphics/display_listeners.h"
#include "font_system.h"

namespace {

const DisplayListener FontListener{
    [] { StartFontSystem(); },
    [] { EndFontSystem(); },
    [] { RecreateAllFonts(); },
    nullptr,
};

}  // namespace

void ListenToDisplay() {
  AddDisplayListener(&FontListener);
}
