// The fake platform's settings, shared by its source files.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "fake_platform.h"

namespace fake {

struct Mode {
  int width, height, bits, frequency;
};

struct FakePad {
  Pad pad;
  int axes[8] = {};
  bool buttons[32] = {};
  int hats[4] = {-1, -1, -1, -1};
  bool attached = true;
  HANDLE event = nullptr;
  int opens = 0;
  std::vector<PadEffect> effects;
  std::vector<bool> effectAlive;
};

struct ScheduledEvent {
  int pass;
  InputEvent event;
};

struct FakeState {
  DWORD clock = 0;
  DWORD clockStep = 0;
  LONGLONG perfFrequency = 1000000;
  LONGLONG perfCount = 0;
  // Moving by default: the timer check at window start-up waits for the counter to change.
  LONGLONG perfStep = 1;
  std::uint64_t timeStampCounter = 0;
  std::uint64_t timeStampStep = 0;
  UINT timerPeriodMin = 1;
  UINT timerPeriodMax = 1000000;
  std::vector<UINT> raisedPeriods;
  std::string debugOutput;
  int desktopDepth = 32;
  int desktopDpi = 96;
  int desktopWidth = 1280;
  int desktopHeight = 1024;
  // The display modes a display typically offers, besides the desktop mode (mode 0).
  std::vector<Mode> modes = {
      {640, 480, 16, 60}, {640, 480, 32, 60}, {800, 600, 16, 60}, {800, 600, 32, 60}, {1024, 768, 32, 60}};
  int changedWidth = 0;
  int changedHeight = 0;
  int changedDepth = 0;
  bool realCpu = true;
  bool cpuAvailable = true;
  std::uint32_t leaf1Edx = 0;
  std::string cpuVendor = "FakeVendorCo";
  std::string cpuBrand = "Fake Processor 1.00GHz";
  OsVersion osVersion;
  std::array<bool, static_cast<int>(Failure::FailureCount)> failures{};
  int comDepth = 0;

  bool anotherInstance = false;
  unsigned oemCodePage = 932;
  std::uint64_t totalMemory = 4ull << 30;
  std::uint64_t availableMemory = 3ull << 30;

  std::vector<ScheduledEvent> script;
  int pass = 0;
  DWORD idlePassTime = 1;
  bool screenSaver = true;
  bool cursorVisible = true;
  int nativeWindows = 0;
  std::string nativeTitle;
  std::string journal;
  std::string stacking;
  PresentedFrame presented;
  int verticalBlankWaits = 0;
  int refreshRate = 0;
  std::vector<FontCall> fontCalls;
  int failNextFonts = 0;
  int glyphRenders = 0;
  int liveFonts = 0;
  AudioDevice audioDevice;
  AudioOutput audioOutput;
  std::vector<FakePad> pads;
  std::string padCalls;
};

FakeState& State();

inline void Record(const std::string& call) { State().journal += State().journal.empty() ? call : " " + call; }

inline void RecordStacking(const std::string& change) {
  State().stacking += State().stacking.empty() ? change : " " + change;
}

inline bool Fails(Failure which) { return State().failures[static_cast<int>(which)]; }

// Copies the sound failure switches into the DirectSound stand-in (fake_audio.cpp).
void SyncSoundFaults();

// Applies one input event to the window system.
void Apply(const InputEvent& event);

}  // namespace fake
