// The smallest complete program on Vornek: start, a loop of frames that reads input and draws,
// and the end. It is the program the README opens with.
#include "vornek.h"

int main() {
  SetWindowTitle("Hello Vornek");
  ChangeWindowMode(TRUE);            // a window; without this the program takes the whole screen
  SetScreenMode(640, 480, 32, 60);   // 640 x 480 x 16 unless set
  SetUseUtf8Text(TRUE);              // texts in UTF-8; Shift-JIS unless set
  SetLogOutputFlag(FALSE);           // no Log.txt; the log is on unless set
  if (InitEngine() != 0) return -1;  // GetLastErrorText() says why
  SelectDrawTarget(ScreenBack);      // draw out of sight, show each frame with PresentScreen

  int x = 320, y = 240;
  // PumpMessages: -1 once the window was closed. The loop waits here while the window is
  // inactive (SetRunWhileInactive changes that).
  while (PumpMessages() == 0 && IsKeyDown(KeyEscape) == 0) {
    const unsigned pad = GetPadInputs(0);  // the first pad, or the arrow keys standing in for it
    if (pad & PadInputLeft) x -= 4;
    if (pad & PadInputRight) x += 4;
    if (pad & PadInputUp) y -= 4;
    if (pad & PadInputDown) y += 4;
    if (CountMouseButtonPresses(MouseButtonLeft) > 0) GetCursorPosition(&x, &y);

    ClearScreen();
    DrawCircle(x, y, 20, MakeColor(255, 200, 0), TRUE);
    const char* text = "Grüße, 日本語: arrows or a pad move, a click jumps, Escape ends";
    DrawText((640 - GetTextWidth(text, -1)) / 2, 20, text, MakeColor(255, 255, 255), 0);
    PresentScreen();  // waits for the display: one frame per refresh
  }
  EndEngine();
  return 0;
}
