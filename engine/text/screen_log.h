// The on-screen log: up to 80 lines drawn over the picture at every present.
#pragma once

constexpr int ScreenLogLines = 80;
constexpr int ScreenLogLineBytes = 255;

struct ScreenLogRecord {
  int started;
  int fontSize;
  int fontHandle;  // -1 when there is none
  int fontLost;    // set when the font must be created (again)
  char lines[ScreenLogLines][ScreenLogLineBytes];
};

extern ScreenLogRecord ScreenLog;

// Needs the display back-end and the main window (else -1); a second start returns 0.
int StartScreenLog();
// Draws the lines over the picture, starting the log first when needed.
int DrawScreenLog();
// Releases the screen log's font and marks the log stopped.
void StopScreenLog();
