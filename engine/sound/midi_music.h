// MIDI music rendered by FluidSynth with a General MIDI SoundFont, in a build that has it; the
// music stream takes its frames as it takes an Ogg file's.
#pragma once

#include <cstdint>

struct MidiRenderer;

// Whether this build plays MIDI at all.
bool MidiInThisBuild();

constexpr std::uint32_t MidiRate = 44100;  // stereo frames a second

// A renderer of the MIDI file at path, looped or not, or null with *reason (a fixed text) when
// the build has no FluidSynth, no SoundFont is installed, or the file cannot be read.
MidiRenderer* OpenMidi(const char* path, bool loop, const char** reason);
// Up to frames stereo frames into out; 0 once the music has ended.
std::uint32_t RenderMidi(MidiRenderer* midi, std::int16_t* out, std::uint32_t frames);
void CloseMidi(MidiRenderer* midi);
