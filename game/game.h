// The game's program entry, frame loop and drawing of the frame.
#pragma once

// Returns the process exit code: 0, or -1 when the engine cannot start.
int GameMain();
// The game's settings and the engine's start: 0, or -1 when the engine cannot start.
int StartGame();
void RunMainLoop();
// One pass's picture and rules: clear, mouse, tick, draw, present.
void RunFrame();
void DrawFrame();
