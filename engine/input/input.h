#pragma once

// Returns 0, or 1 when the keyboard event could not be set up.
int InitInput();
int EndInput();
