// A program built against the installed engine alone, through the header's old name.
#include <cstdio>
#include <cstring>

#include "vornek.h"

int main(int argc, char** argv) {
  // Asked to, it starts the engine; either way the whole engine and platform are linked in.
  if (argc > 1 && std::strcmp(argv[1], "--start") == 0) {
    if (InitEngine() != 0) return 1;
    EndEngine();
    return 0;
  }
  // Before start-up colours are made in the 32-bit format, filler bits set.
  const std::uint32_t red = MakeColor(255, 0, 0);
  std::printf("MakeColor(255, 0, 0) = %08x\n", static_cast<unsigned>(red));
  return red == 0xFFFF0000u ? 0 : 1;
}
