#include "screen_log.h"

#include <cstring>

#include "../core/engine_state.h"
#include "../graphics/graphics_state.h"
#include "font_system.h"
#include "vornek.h"

ScreenLogRecord ScreenLog{0, 16, -1, 0, {}};

namespace {

constexpr int ScreenLogFontSize = 16;

// The font is the default face at size 16, thickness 4, with an edge (font type 1), every other
// argument at its default; fontLost is registered as its lost-notifier so that a released font
// is made again before the next draw.
// A font that could not be made leaves fontLost set, so the next draw tries again.
void CreateScreenLogFont() {
  ScreenLog.fontHandle = CreateFontToHandle(nullptr, ScreenLogFontSize, 4, FontTypeEdge, -1, -1, 0, -1, -1);
  ScreenLog.fontLost = 1;
  if (ScreenLog.fontHandle != -1) SetFontLostNotifier(ScreenLog.fontHandle, &ScreenLog.fontLost);
}

void ReleaseScreenLogFont() {
  ReleaseFontHandle(ScreenLog.fontHandle);
  ScreenLog.fontHandle = -1;
}

void DrawScreenLogLine(int y, const char* text) {
  DrawTextWithFont(0, y, text, static_cast<int>(MakeColor(255, 255, 255)), ScreenLog.fontHandle,
                   static_cast<int>(MakeColor(0, 0, 0)));
}

}  // namespace

int StartScreenLog() {
  if (!GraphicsState.graphicsStarted || EngineState.MainWindow == nullptr) return -1;
  if (ScreenLog.started) return 0;
  ScreenLog.started = 1;
  ScreenLog.fontSize = ScreenLogFontSize;
  ScreenLog.fontHandle = -1;
  CreateScreenLogFont();
  std::memset(ScreenLog.lines, 0, sizeof ScreenLog.lines);
  return 0;
}

int DrawScreenLog() {
  if (!ScreenLog.started && StartScreenLog() != 0) return -1;
  if (ScreenLog.fontLost) CreateScreenLogFont();
  int count = GraphicsState.screenHeight / ScreenLog.fontSize;
  if (count > ScreenLogLines) count = ScreenLogLines;
  for (int i = 0; i < count; ++i) {
    // A full line has no room for its zero; it is drawn as a 255-byte text.
    char text[ScreenLogLineBytes + 1];
    std::memcpy(text, ScreenLog.lines[i], ScreenLogLineBytes);
    text[ScreenLogLineBytes] = '\0';
    DrawScreenLogLine(ScreenLogFontSize * i, text);
  }
  return 0;
}

void StopScreenLog() {
  if (!ScreenLog.started) return;
  if (ScreenLog.fontHandle != -1) ReleaseScreenLogFont();
  ScreenLog.started = 0;
}
