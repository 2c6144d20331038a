#include "screen_log.h"

int StartScreenLog() { return 0; }
int DrawScreenLog() { return 0; }
void StopScreenLog() {}
