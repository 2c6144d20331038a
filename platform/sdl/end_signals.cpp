#include "end_signals.h"

#include <SDL.h>
#include <errno.h>
#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace end_signals {

namespace {

constexpr int Caught[] = {SIGTERM, SIGINT, SIGHUP};
volatile sig_atomic_t arrived = 0;
volatile sig_atomic_t taken = 0;
// Written before the handlers are installed: the handler only copies bytes out.
char lines[3][160];
int lineLengths[3];

void OnSignal(int number) {
  const int saved = errno;
  if (arrived != 0) {
    // Still here after the first: the program is stuck on its way out.
    signal(number, SIG_DFL);
    raise(number);
    errno = saved;
    return;
  }
  arrived = number;
  for (int i = 0; i < 3; ++i) {
    if (Caught[i] == number) (void)!write(STDERR_FILENO, lines[i], static_cast<std::size_t>(lineLengths[i]));
  }
  errno = saved;
}

}  // namespace

void Catch() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  for (int i = 0; i < 3; ++i) {
    const int length = std::snprintf(lines[i], sizeof lines[i], "%s: %s: the program ends\n",
                                     program_invocation_short_name, strsignal(Caught[i]));
    lineLengths[i] = length > 0 && length < static_cast<int>(sizeof lines[i]) ? length : 0;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(Caught[i], &action, nullptr);
  }
}

bool Take() {
  if (arrived == 0 || taken != 0) return false;
  taken = 1;
  return true;
}

}  // namespace end_signals
