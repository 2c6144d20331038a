#include "vornek.h"

int SelectDrawTarget(int) { return 0; }
int DrawLine(int, int, int, int, int, int) { return 0; }
int DrawCircle(int, int, int, int, int) { return 0; }
int ClearScreen() { return 0; }
int PresentScreen() { return 0; }
