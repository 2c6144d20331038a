// Music streamed from an Ogg Vorbis file while it plays: decoded on the game's thread at each
// message pump into a ring of two seconds that the mixer reads.
#pragma once

#include <cstdint>

// 0, or -1 (with a log line) when the file cannot be opened or is not a stream the engine plays.
// audible false: the file is checked and closed at once (no output).
int StartMusic(const char* path, bool loop, std::uint32_t loopStartFrame, int fadeInMilliseconds, bool audible);
// Stops and releases the music; nothing when none plays.
void EndMusic();
// Decodes what the ring has room for; releases music that has ended.
void UpdateMusic();
bool MusicPlaying();
// Volume 0-1: the music's own; fades move a gain of 0-1 on top of it.
void SetMusicGain(float volume);
float MusicGain();
// Back to the full volume, where each start of the engine begins, as the master volume does.
void ForgetMusicGain();
int FadeMusicOut(int milliseconds);
