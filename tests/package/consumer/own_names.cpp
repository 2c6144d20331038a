// A program with functions of its own named like Windows calls, with the very signatures the
// engine's platform layer uses inside: it must link against the engine, static or shared, and
// its own functions must be the ones called.
#include <cstdio>

#include <vornek/vornek.h>

struct PlatformObject;
struct RECT {
  long left, top, right, bottom;
};

static int calls = 0;

void Sleep(unsigned int milliseconds) { calls += static_cast<int>(milliseconds); }
int FillRect(PlatformObject*, const RECT* rect, PlatformObject*) {
  calls += static_cast<int>(rect->right - rect->left);
  return 1;
}
PlatformObject* CreateWindowExA(unsigned int, const char*, const char*, unsigned int, int, int, int, int,
                                PlatformObject*, PlatformObject*, PlatformObject*, void*) {
  calls += 100;
  return nullptr;
}

int main(int argc, char**) {
  // Never true in the test: it only makes the whole engine and its platform linked in.
  if (argc > 5) return InitEngine();
  Sleep(1);
  const RECT rect{0, 0, 10, 10};
  FillRect(nullptr, &rect, nullptr);
  CreateWindowExA(0, "", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  const uint32_t white = MakeColor(255, 255, 255);
  std::printf("own names: %d calls, white %08x\n", calls, static_cast<unsigned>(white));
  return calls == 111 && white == 0xFFFFFFFFu ? 0 : 1;
}
