// A build without FluidSynth: MIDI files are refused.
#include "midi_music.h"

bool MidiInThisBuild() { return false; }

MidiRenderer* OpenMidi(const char*, bool, const char** reason) {
  *reason = "MIDI の演奏はこのビルドにはありません (FluidSynth が要ります)";
  return nullptr;
}

std::uint32_t RenderMidi(MidiRenderer*, std::int16_t*, std::uint32_t) { return 0; }

void CloseMidi(MidiRenderer*) {}
