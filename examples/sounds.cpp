// Sounds: a keyboard piano and looped music on Vornek. The tones and the music are made by
// scripts/make_sounds.py when the example is built.
//
//   vornek_sounds [--frames N] [--sounds DIRECTORY] [--log]
//
// The keys A S D F G H J K play the white keys from C4 to C5, W E T Y U the black ones; a held
// key plays once, and several keys sound together. M starts the music (fading in) or fades it
// out; Up and Down change the master volume, Left and Right the pan of the notes, Z and X their
// pitch by a semitone. Escape or closing the window ends; --frames N ends after N frames.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "vornek.h"

#ifndef VORNEK_EXAMPLE_SOUNDS
#define VORNEK_EXAMPLE_SOUNDS "sounds"
#endif

namespace {

constexpr int Width = 800, Height = 600;
constexpr int MusicLoopFrame = 2 * 44100;  // where the music's loop starts (make_sounds.py)

struct PianoKey {
  const char* file;
  int keyCode;  // DirectInput key code
  const char* label;
  bool black;
};

// White keys on the home row, black keys on the row above, as on a piano.
constexpr PianoKey Keys[] = {
    {"c4", 0x1E, "A", false}, {"cs4", 0x11, "W", true}, {"d4", 0x1F, "S", false}, {"ds4", 0x12, "E", true},
    {"e4", 0x20, "D", false}, {"f4", 0x21, "F", false}, {"fs4", 0x14, "T", true}, {"g4", 0x22, "G", false},
    {"gs4", 0x15, "Y", true}, {"a4", 0x23, "H", false}, {"as4", 0x16, "U", true}, {"b4", 0x24, "J", false},
    {"c5", 0x25, "K", false},
};
constexpr int KeyCount = sizeof Keys / sizeof Keys[0];
constexpr int KeyM = 0x32;

struct Piano {
  int sounds[KeyCount];
  bool held[KeyCount] = {};
  bool musicKeyHeld = false, arrowHeld = false, pitchKeyHeld = false;
  int master = 800, pan = 0, semitones = 0;
  const char* musicPath = nullptr;
};

bool Pressed(int keyCode, bool& held) {
  const bool down = IsKeyDown(keyCode) != 0;
  const bool pressed = down && !held;
  held = down;
  return pressed;
}

void Play(Piano& p) {
  for (int i = 0; i < KeyCount; ++i) {
    if (Pressed(Keys[i].keyCode, p.held[i]) && p.sounds[i] != -1) {
      const int voice = PlaySoundHandle(p.sounds[i], PlayOnce);
      SetVoicePan(voice, p.pan);
      SetVoiceFrequency(voice, static_cast<int>(GetSoundRate(p.sounds[i]) * std::pow(2.0, p.semitones / 12.0)));
    }
  }
  if (Pressed(KeyM, p.musicKeyHeld)) {
    if (IsMusicPlaying()) {
      FadeOutMusic(1500);
    } else if (PlayMusic(p.musicPath, PlayLoop, MusicLoopFrame, 1500) != 0) {
      LogText("the music could not be started\n");
    }
  }
  const bool arrows = IsKeyDown(KeyUp) || IsKeyDown(KeyDown) || IsKeyDown(KeyLeft) || IsKeyDown(KeyRight);
  if (arrows && !p.arrowHeld) {
    if (IsKeyDown(KeyUp)) p.master = p.master + 100 > 1000 ? 1000 : p.master + 100;
    if (IsKeyDown(KeyDown)) p.master = p.master < 100 ? 0 : p.master - 100;
    if (IsKeyDown(KeyLeft)) p.pan = p.pan - 250 < -1000 ? -1000 : p.pan - 250;
    if (IsKeyDown(KeyRight)) p.pan = p.pan + 250 > 1000 ? 1000 : p.pan + 250;
    SetMasterVolume(p.master);
  }
  p.arrowHeld = arrows;
  const bool pitch = IsKeyDown(KeyZ) || IsKeyDown(KeyX);
  if (pitch && !p.pitchKeyHeld) p.semitones += IsKeyDown(KeyX) ? (p.semitones < 12) : -(p.semitones > -12);
  p.pitchKeyHeld = pitch;
}

void DrawKeyboard(const Piano& p) {
  constexpr int left = 120, top = 200, whiteWidth = 70, whiteHeight = 220;
  int white = 0;
  for (int i = 0; i < KeyCount; ++i) {
    if (Keys[i].black) continue;
    const int x = left + white * whiteWidth;
    const int shade = IsSoundHandlePlaying(p.sounds[i]) == 1 ? 200 : 245;
    for (int y = top; y < top + whiteHeight; y += 2)
      DrawLine(x + 2, y, x + whiteWidth - 2, y, MakeColor(shade, shade, 255), 2);
    DrawText(x + 30, top + whiteHeight - 24, Keys[i].label, MakeColor(40, 40, 40), 0);
    ++white;
  }
  white = 0;
  for (int i = 0; i < KeyCount; ++i) {
    if (!Keys[i].black) {
      ++white;
      continue;
    }
    const int x = left + white * whiteWidth - 22;
    const int shade = IsSoundHandlePlaying(p.sounds[i]) == 1 ? 110 : 30;
    for (int y = top; y < top + 130; y += 2) DrawLine(x, y, x + 44, y, MakeColor(shade, shade, shade + 40), 2);
    DrawText(x + 17, top + 104, Keys[i].label, MakeColor(230, 230, 230), 0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  long maxFrames = 0;
  bool log = false;
  std::string directory = VORNEK_EXAMPLE_SOUNDS;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
      maxFrames = std::strtol(argv[++i], nullptr, 10);
    } else if (std::strcmp(argv[i], "--sounds") == 0 && i + 1 < argc) {
      directory = argv[++i];
    } else if (std::strcmp(argv[i], "--log") == 0) {
      log = true;
    } else {
      std::fprintf(stderr, "usage: vornek_sounds [--frames N] [--sounds DIRECTORY] [--log]\n");
      return 2;
    }
  }

  SetWindowTitle("Vornek sounds");
  SetLogOutputFlag(log ? TRUE : FALSE);
  ChangeWindowMode(TRUE);
  SetScreenMode(Width, Height, 32, 60);
  if (InitEngine() != 0) return -1;
  SetClearColor(24, 18, 30);

  static Piano piano;
  int missing = 0;
  for (int i = 0; i < KeyCount; ++i) {
    piano.sounds[i] = LoadSound((directory + "/" + Keys[i].file + ".wav").c_str());
    if (piano.sounds[i] == -1) ++missing;
  }
  const std::string musicPath = directory + "/music.ogg";
  piano.musicPath = musicPath.c_str();
  SetMasterVolume(piano.master);
  if (PlayMusic(piano.musicPath, PlayLoop, MusicLoopFrame, 1500) != 0) LogText("no music\n");

  long frame = 0;
  while (PumpMessages() == 0 && IsKeyDown(KeyEscape) == 0) {
    Play(piano);
    ClearScreen();
    DrawText(40, 30, "Vornek sounds", MakeColor(255, 220, 120), 0);
    DrawText(40, 60, "keys A-K: white keys   W E T Y U: black keys   M: music on / fade out", MakeColor(200, 200, 200),
             0);
    DrawText(40, 80, "Up / Down: master volume   Left / Right: pan   Z / X: pitch   Escape: quit",
             MakeColor(200, 200, 200), 0);
    DrawTextFormat(40, 120, MakeColor(255, 255, 255), "master %d   pan %d   pitch %+d semitones   music %s",
                   piano.master, piano.pan, piano.semitones, IsMusicPlaying() ? "playing" : "off");
    if (missing > 0) {
      DrawTextFormat(40, 150, MakeColor(255, 120, 120), "%d tones missing in %s (run scripts/make_sounds.py)", missing,
                     directory.c_str());
    }
    DrawKeyboard(piano);
    PresentScreen();
    if (++frame == maxFrames) break;
  }
  const int damaged = CheckAllocations();
  EndEngine();
  return damaged == 0 ? 0 : 1;
}
