#include "../graphics/display_listeners.h"
#include "../graphics/graphics_state.h"
#include "font_system.h"
#include "screen_log.h"
#include "vornek.h"

namespace {

// The default font's size and thickness, kept across a change of the screen mode.
struct KeptDefaultFontRecord {
  bool kept;
  int size, thickness;
};

KeptDefaultFontRecord KeptDefaultFont{};

void KeepDefaultFont() {
  KeptDefaultFont = KeptDefaultFontRecord{false, -1, -1};
  KeptDefaultFont.kept = GraphicsState.graphicsStarted && IsFontHandleValid(QueryDefaultFont());
  if (KeptDefaultFont.kept) {
    QueryFontFace(nullptr, &KeptDefaultFont.size, &KeptDefaultFont.thickness, QueryDefaultFont());
  }
}

void RestoreDefaultFont() {
  if (KeptDefaultFont.kept) SetDefaultFontSize(KeptDefaultFont.size, KeptDefaultFont.thickness);
  KeptDefaultFont.kept = false;
}

const DisplayListener FontListener{
    [] { StartFontSystem(); }, [] { EndFontSystem(); }, [] { RecreateAllFonts(); }, nullptr,
    KeepDefaultFont,           RestoreDefaultFont,
};

const DisplayListener ScreenLogListener{nullptr, nullptr, nullptr, [] { DrawScreenLog(); }, nullptr, nullptr};

}  // namespace

void ListenToDisplay() {
  AddDisplayListener(&FontListener);
  AddDisplayListener(&ScreenLogListener);
}
