#pragma once

// 0, or -1 when sound was already started or no device can be set up.
int StartSound();
// 0, or -1 when sound is not started.
int EndSound();
