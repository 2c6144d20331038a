// The game's program entry, frame loop and drawing of the frame.
#pragma once

// Returns the process exit code: 0, or -1 when the engine cannot start.
int GameMain();
void RunMainLoop();
void DrawFrame();
