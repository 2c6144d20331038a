#include "sound.h"

int StartSound() { return 0; }
int EndSound() { return 0; }
