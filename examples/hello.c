/* Hello from C: the engine's API needs nothing of C++. A window with a disc that the arrow keys
 * move, a box, a line of text; Escape or closing the window ends.
 *
 *   hello [--frames N]     N frames, then it ends by itself
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vornek/vornek.h>

int main(int argc, char** argv) {
  long frames = -1;
  if (argc == 3 && strcmp(argv[1], "--frames") == 0) {
    frames = strtol(argv[2], NULL, 10);
    if (frames < 1) {
      fprintf(stderr, "hello: --frames wants a positive number\n");
      return 2;
    }
  } else if (argc != 1) {
    fprintf(stderr, "usage: hello [--frames N]\n");
    return 2;
  }

  SetWindowTitle("Hello from C");
  ChangeWindowMode(TRUE);
  SetScreenMode(640, 480, 32, 60);
  SetLogOutputFlag(FALSE);
  if (InitEngine() != 0) {
    fprintf(stderr, "hello: %s\n", GetLastErrorText());
    return 1;
  }
  SelectDrawTarget(ScreenBack);

  const uint32_t yellow = MakeColor(255, 200, 0);
  const uint32_t white = MakeColor(255, 255, 255);
  int x = 320;
  int y = 240;
  for (long frame = 0; frames < 0 || frame < frames; ++frame) {
    if (PumpMessages() != 0 || IsKeyDown(KeyEscape)) break;
    const unsigned pad = GetPadInputs(0);
    if (pad & PadInputLeft) x -= 4;
    if (pad & PadInputRight) x += 4;
    if (pad & PadInputUp) y -= 4;
    if (pad & PadInputDown) y += 4;

    ClearScreen();
    DrawBox(20, 60, 620, 460, white, FALSE);
    DrawCircle(x, y, 20, yellow, TRUE);
    const char* text = "Hello from C: arrows move, Escape ends";
    DrawText((640 - GetTextWidth(text, -1)) / 2, 20, text, white, 0);
    PresentScreen();
  }
  EndEngine();
  return 0;
}
