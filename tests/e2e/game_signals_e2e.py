#!/usr/bin/env python3
"""The game asked to end by a signal, on a real X display.

Usage: game_signals_e2e.py PATH_TO_PELLIMAR

SIGTERM, SIGINT and SIGHUP each end the game in order: with 0 once it runs, with -1 (255)
during its start-up, promptly, after one line on standard error that names the
signal. Exits 77 (skipped) when no X display or xdotool is available. Every wait is bounded.
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import game_window_e2e as e2e  # noqa: E402  (its X helpers)

SKIP = 77
# Seconds from the signal to the program's exit. The signal is taken at the next look at the
# events (well within half a second); the orderly shut-down after it takes 0.1-0.3 s on a quiet
# machine, and more on a busy one such as the test suite's.
ACT_WITHIN = 1.5


def main():
    game = os.path.abspath(sys.argv[1])
    if not e2e.display_usable():
        print("skipped: no X display or xdotool")
        return SKIP
    runtime = tempfile.mkdtemp(prefix="pellimar-signals-")
    os.chmod(runtime, 0o700)
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime, VORNEK_INSTANCE_SCOPE=runtime)
    env.pop("SDL_VIDEODRIVER", None)
    held = e2e.hold_display()
    failures = []
    # (signal, sent once the window stands (True) or early in the start-up (False), exit status)
    cases = [(signal.SIGTERM, True, 0), (signal.SIGINT, True, 0), (signal.SIGHUP, True, 0),
             (signal.SIGTERM, False, 255), (signal.SIGHUP, False, 255)]
    try:
        for number, running, expected in cases:
            name = signal.Signals(number).name
            label = f"{name} {'while it runs' if running else 'during its start-up'}"
            process = subprocess.Popen([game], env=env, stderr=subprocess.PIPE)
            try:
                if running:
                    if e2e.find_window(process.pid) is None:
                        failures.append(f"{label}: no window")
                        continue
                    time.sleep(0.5)
                else:
                    # Once the platform has started (its handlers are in place): the first window.
                    deadline = time.monotonic() + 10
                    while time.monotonic() < deadline:
                        code, out = e2e.xdotool("search", "--pid", process.pid)
                        if code == 0 and out.split():
                            break
                        time.sleep(0.01)
                sent = time.monotonic()
                process.send_signal(number)
                status = e2e.wait_exit(process, 10)
                took = time.monotonic() - sent
                errors = process.stderr.read().decode(errors="replace").splitlines()
                ok = status == expected and took <= ACT_WITHIN and len(errors) == 1 and \
                    signal.strsignal(number) in errors[0]
                print(("ok   " if ok else "FAIL ") + f"{label}: status {status} (expected {expected}) after "
                      f"{took:.2f} s, standard error {errors}", flush=True)
                if not ok:
                    failures.append(label)
            finally:
                if process.poll() is None:
                    process.kill()
                    process.wait()
    finally:
        shutil.rmtree(runtime, ignore_errors=True)
    del held
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
