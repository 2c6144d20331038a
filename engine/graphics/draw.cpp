#include "vornek.h"

int DrawLine(int, int, int, int, int, int) { return 0; }
int DrawCircle(int, int, int, int, int) { return 0; }
