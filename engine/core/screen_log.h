// The on-screen log: up to 80 lines drawn over the picture at every present.
#pragma once

int StartScreenLog();
int DrawScreenLog();
// Releases the screen log's font and marks the log stopped.
void StopScreenLog();
