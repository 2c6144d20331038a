#pragma once

// 0, or -1 when sound was already started or no device can be set up.
int StartSound();
// 0, or -1 when sound is not started. Every sound, voice and the music are released either way.
int EndSound();
// Per-frame upkeep from the message pump: the pause while inactive, the music's decoding.
void UpdateSoundStreams();
