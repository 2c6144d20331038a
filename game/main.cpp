#include "game.h"

int main() { return GameMain(); }
