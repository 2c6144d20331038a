#include "graphics_state.h"

void StartFrontScreenTimer() {}
