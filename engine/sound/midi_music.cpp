// A build without FluidSynth: MIDI files are refused with a log line.
#include "midi_music.h"

#include "../core/log.h"

int StartMidiMusic(const char* path, bool, bool) {
  LogFormat("音楽ファイル %s の演奏に失敗しました: MIDI の演奏はこのビルドにはありません (FluidSynth が要ります)", path);
  return -1;
}

void EndMidiMusic() {}

bool MidiMusicPlaying() { return false; }
