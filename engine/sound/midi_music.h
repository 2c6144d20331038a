// MIDI music: played through FluidSynth with a General MIDI SoundFont where the build has it.
#pragma once

// 0, or -1 with a log line (always so in a build without FluidSynth).
int StartMidiMusic(const char* path, bool loop, bool audible);
void EndMidiMusic();
bool MidiMusicPlaying();
