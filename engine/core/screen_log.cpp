#include "screen_log.h"

#include <cstring>

#include "../graphics/graphics_state.h"
#include "engine_state.h"

ScreenLogRecord ScreenLog{0, 16, -1, 0, {}};

namespace {

constexpr int ScreenLogFontSize = 16;

// The font is the default face at size 16, thickness 4, with an edge (font type 1), every other
// argument at its default; fontLost is registered as its lost-notifier so that a released font
// is made again before the next draw.
// FONT: CreateFontToHandle(nullptr, ScreenLogFontSize, 4, FontTypeEdge) and
// SetFontLostNotifier(handle, &ScreenLog.fontLost) go here once fonts exist.
void CreateScreenLogFont() { ScreenLog.fontLost = 0; }

// FONT: ReleaseFontHandle(ScreenLog.fontHandle) goes here once fonts exist.
void ReleaseScreenLogFont() { ScreenLog.fontHandle = -1; }

// FONT: DrawTextWithFont(0, y, text, white (255, 255, 255), ScreenLog.fontHandle,
// edge black (0, 0, 0)) goes here once fonts exist.
void DrawScreenLogLine(int, const char*) {}

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
