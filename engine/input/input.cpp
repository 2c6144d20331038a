#include "input.h"

#include "vornek.h"

int InitInput() { return 0; }
int EndInput() { return 0; }

int IsKeyDown(int) { return 0; }

int GetCursorPosition(int* x, int* y) {
  if (x != nullptr) *x = 0;
  if (y != nullptr) *y = 0;
  return 0;
}

int GetMouseButtons() { return 0; }
