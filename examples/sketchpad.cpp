// Sketchpad: a second program on Vornek, beside the game. It shows what the game leaves out: the
// blend modes and tint on discs and lines, a clip area, text in two fonts centred by measuring
// it, the first pad (or its keys), key and button presses counted per frame, the wheel, the
// mouse and a frame loop with its own clock.
//
//   vornek_sketchpad [--frames N] [--log] [--background]
//
// Arrow keys or a pad's stick move the blue disc, Z and X (pad buttons 1 and 2) lower and raise
// the blend parameter, Space (button 10) stops and starts the colour cycle, C (button 3)
// vibrates the pad, H hides and shows the cursor. Hold the left mouse button to paint, the right
// one to wipe the painting; the wheel sets the brush size. Escape or closing the window ends;
// --frames N ends by itself after N frames, --log writes the engine's Log.txt into the current
// directory and --background keeps the colours cycling while another window is active.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "vornek.h"

namespace {

constexpr int Width = 800, Height = 600;
constexpr int MaxStrokes = 512;

struct Point {
  int x, y;
};

struct Sketch {
  Point strokes[MaxStrokes];
  int strokeCount = 0;
  Point player{400, 470};
  int blendParam = 160;
  bool cycling = true;
  bool cursorShown = true;
  int brush = 6;
  int clicks = 0;
  int hue = 0;  // 0-767 around the colour wheel
};

struct ModeLabel {
  int mode;
  const char* name;
};

constexpr ModeLabel Modes[] = {
    {BlendModeNone, "None"},
    {BlendModeAlpha, "Alpha"},
    {BlendModeAdd, "Add"},
    {BlendModeSubtract, "Subtract"},
    {BlendModeMultiply, "Multiply"},
    {BlendModeInvertedAlpha, "InvAlpha"},
    {BlendModeMultiplyAlpha, "MulAlpha"},
};

// Red, green and blue of a point on the colour wheel.
void Wheel(int hue, int* red, int* green, int* blue) {
  const int part = hue / 256, t = hue % 256;
  *red = part == 0 ? 255 - t : part == 2 ? t : 0;
  *green = part == 0 ? t : part == 1 ? 255 - t : 0;
  *blue = part == 1 ? t : part == 2 ? 255 - t : 0;
}

void ReadInput(Sketch& s) {
  // Pad 0 is the first pad merged with its keys: the arrows, Z, X, C and Space among them.
  const unsigned pad = GetPadInputs(0);
  int stickX = 0, stickY = 0;
  if (GetPadAnalogInput(0, &stickX, &stickY) == 0 && (stickX != 0 || stickY != 0)) {
    s.player.x += stickX / 200;
    s.player.y += stickY / 200;
  } else {
    if (pad & PadInputLeft) s.player.x -= 4;
    if (pad & PadInputRight) s.player.x += 4;
    if (pad & PadInputUp) s.player.y -= 4;
    if (pad & PadInputDown) s.player.y += 4;
  }
  if ((pad & PadInputButton1) && s.blendParam > 0) --s.blendParam;
  if ((pad & PadInputButton2) && s.blendParam < 255) ++s.blendParam;
  // Presses are counted between frames: two quick taps of Space toggle twice.
  if (CountPadPresses(0, PadInputButton10) % 2 == 1) s.cycling = !s.cycling;
  if (CountPadPresses(0, PadInputButton3) > 0) StartPadVibration(0, 600, 250);
  if (CountKeyPresses(KeyH) % 2 == 1) {
    s.cursorShown = !s.cursorShown;
    ApplyCursorVisibility(s.cursorShown ? TRUE : FALSE);
  }

  Point cursor{};
  GetCursorPosition(&cursor.x, &cursor.y);
  const int buttons = GetMouseButtons();
  s.clicks += CountMouseButtonPresses(MouseButtonLeft);
  s.brush += GetMouseWheelRotation();
  if (s.brush < 2) s.brush = 2;
  if (s.brush > 30) s.brush = 30;
  if ((buttons & MouseButtonLeft) && s.strokeCount < MaxStrokes) s.strokes[s.strokeCount++] = cursor;
  if (buttons & MouseButtonRight) s.strokeCount = 0;
  if (s.cycling) s.hue = (s.hue + 3) % 768;
}

// The text centred on cx, by its measured width.
void DrawCentred(int cx, int y, const char* text, uint32_t color, int fontHandle, uint32_t edgeColor) {
  const int width = GetTextWidthWithFont(text, -1, fontHandle);
  if (width >= 0) DrawTextWithFont(cx - width / 2, y, text, color, fontHandle, edgeColor);
}

// Seven discs, one per blend mode, each over stripes so the mode shows, with the cycling tint.
void DrawBlendRow(const Sketch& s, int fontHandle) {
  int red, green, blue;
  Wheel(s.hue, &red, &green, &blue);
  for (int i = 0; i < 7; ++i) {
    const int cx = 60 + i * 112, cy = 130;
    for (int y = cy - 50; y <= cy + 50; y += 6) {
      DrawLine(cx - 50, y, cx + 50, y, MakeColor(230, 210, 90), 1);
      DrawLine(cx - 50, y + 1, cx + 50, y + 1, MakeColor(230, 210, 90), 1);
    }
    SetBlendMode(Modes[i].mode, s.blendParam);
    SetTint(255, 255 - i * 30, 255);
    DrawCircle(cx, cy, 40, MakeColor(red, green, blue), TRUE);
    SetTint(255, 255, 255);
    SetBlendMode(BlendModeNone, 0);
    DrawCentred(cx, cy + 56, Modes[i].name, MakeColor(255, 255, 255), fontHandle, MakeColor(0, 0, 0));
  }
}

// A fan of lines through the clip area, each line a step further around the wheel.
void DrawClippedFan(const Sketch& s) {
  constexpr int left = 40, top = 250, right = 360, bottom = 420;
  DrawLine(left - 1, top - 1, right, top - 1, MakeColor(255, 255, 255), 1);
  DrawLine(left - 1, bottom, right, bottom, MakeColor(255, 255, 255), 1);
  DrawLine(left - 1, top - 1, left - 1, bottom, MakeColor(255, 255, 255), 1);
  DrawLine(right, top - 1, right, bottom, MakeColor(255, 255, 255), 1);
  SetClipArea(left, top, right, bottom);
  SetBlendMode(BlendModeAdd, s.blendParam);
  for (int k = 0; k < 48; ++k) {
    int red, green, blue;
    Wheel((s.hue + k * 16) % 768, &red, &green, &blue);
    DrawLine(200, 200 + k * 2, -100 + k * 14, 470, MakeColor(red, green, blue), 1);
  }
  SetBlendMode(BlendModeNone, 0);
  SetClipArea(0, 0, Width, Height);
}

void DrawPainting(const Sketch& s) {
  SetBlendMode(BlendModeAlpha, 128);
  for (int i = 0; i < s.strokeCount; ++i)
    DrawCircle(s.strokes[i].x, s.strokes[i].y, s.brush, MakeColor(255, 200, 40), TRUE);
  SetBlendMode(BlendModeNone, 0);
}

void DrawFrame(const Sketch& s, int titleFont, int smallFont, int frame, int fps) {
  DrawCentred(Width / 2, 12, "Vornek sketchpad", MakeColor(255, 220, 120), titleFont, MakeColor(120, 40, 0));
  const char* subtitle = "描画モードと色合い / blend modes and tint";
  DrawText((Width - GetTextWidth(subtitle, -1)) / 2, 48, subtitle, MakeColor(200, 200, 200), 0);
  DrawBlendRow(s, smallFont);
  DrawClippedFan(s);
  DrawPainting(s);
  DrawCircle(s.player.x, s.player.y, 20, MakeColor(40, 120, 255), TRUE);
  DrawCircle(s.player.x, s.player.y, 20, MakeColor(255, 255, 255), FALSE);

  int x = 0, y = 0;
  GetCursorPosition(&x, &y);
  DrawCircle(x, y, 10, MakeColor(255, 255, 255), FALSE);
  DrawTextFormat(400, 260, MakeColor(255, 255, 255), "cursor (%d, %d)  buttons %d", x, y, GetMouseButtons());
  DrawTextFormat(400, 280, MakeColor(255, 255, 255), "blend parameter %d (Z / X)", s.blendParam);
  DrawTextFormat(400, 300, MakeColor(255, 255, 255), "frame %d, %d frames a second", frame, fps);
  DrawTextFormat(400, 320, MakeColor(255, 255, 255), "clicks %d  brush %d (wheel)  pads %d%s", s.clicks, s.brush,
                 GetPadCount(), IsWindowActive() ? "" : "  (inactive)");
  DrawText(400, 340, "arrows/pad: move   space: colour cycle", MakeColor(160, 160, 160), 0);
  DrawText(400, 360, "left button: paint   right: wipe", MakeColor(160, 160, 160), 0);
  DrawText(400, 380, "C: vibrate the pad   H: cursor   Escape: quit", MakeColor(160, 160, 160), 0);
}

}  // namespace

int main(int argc, char** argv) {
  long maxFrames = 0;  // 0: until Escape or the window closes
  bool log = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
      char* end = nullptr;
      maxFrames = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || maxFrames < 1) {
        std::fprintf(stderr, "vornek_sketchpad: --frames wants a positive number\n");
        return 2;
      }
    } else if (std::strcmp(argv[i], "--log") == 0) {
      log = true;
    } else if (std::strcmp(argv[i], "--background") == 0) {
      SetRunWhileInactive(TRUE);
    } else {
      std::fprintf(stderr, "usage: vornek_sketchpad [--frames N] [--log] [--background]\n");
      return 2;
    }
  }

  SetWindowTitle("Vornek sketchpad");
  SetLogOutputFlag(log ? TRUE : FALSE);
  ChangeWindowMode(TRUE);
  SetScreenMode(Width, Height, 32, 60);
  if (InitEngine() != 0) {
    std::fprintf(stderr, "vornek_sketchpad: %s\n", GetLastErrorText());
    return -1;
  }
  SetClearColor(16, 20, 32);
  const int titleFont = CreateFontToHandle(nullptr, 32, 6, FontTypeAntiAliasEdge, -1, 2, FALSE, -1, -1);
  const int smallFont = CreateFontToHandle(nullptr, 12, 3, FontTypeAntiAlias, -1, -1, FALSE, -1, -1);
  if (titleFont == -1 || smallFont == -1) {
    std::fprintf(stderr, "vornek_sketchpad: %s; its text is left out\n", GetLastErrorText());
  }

  static Sketch sketch;
  int fps = 0, framesThisSecond = 0, secondStart = GetMilliCount();
  long frame = 0;
  while (PumpMessages() == 0 && IsKeyDown(KeyEscape) == 0) {
    ReadInput(sketch);
    ClearScreen();
    DrawFrame(sketch, titleFont, smallFont, static_cast<int>(frame), fps);
    PresentScreen();
    ++framesThisSecond;
    if (GetMilliCount() - secondStart >= 1000) {
      fps = framesThisSecond;
      framesThisSecond = 0;
      secondStart = GetMilliCount();
    }
    if (++frame == maxFrames) break;
  }

  LogFormat("%ld frames drawn", frame);
  const int damaged = CheckAllocations();
  ReleaseFontHandle(titleFont);
  ReleaseFontHandle(smallFont);
  EndEngine();
  return damaged == 0 ? 0 : 1;
}
