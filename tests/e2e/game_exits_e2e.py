#!/usr/bin/env python3
"""Every way out of the game, on an Xvfb of the test's own, leaves the leak checker nothing.

Usage: game_exits_e2e.py PATH_TO_PELLIMAR

Run on the sanitizer build's game (build-asan/pellimar), it starts the game on the hardware
back-end and ends it with Escape, SIGTERM, its window destroyed from outside (the status is 0
for each), and its display connection killed (xdotool windowkill: status 1, the lost display);
and once on the software back-end with Escape. LeakSanitizer must report nothing. On the
release build only the statuses are checked.
Exits 77 (skipped) when Xvfb or xdotool is missing. Every wait is bounded.
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


def end_with_escape(process, window):
    e2e.xdotool("windowfocus", "--sync", window)
    e2e.xdotool("keydown", "Escape")
    time.sleep(0.3)
    e2e.xdotool("keyup", "Escape")


def end_with_sigterm(process, window):
    process.send_signal(signal.SIGTERM)


def end_by_destroying(process, window):
    e2e.xdotool("windowclose", window)


def end_by_killing_the_client(process, window):
    e2e.xdotool("windowkill", window)


def main():
    game = os.path.abspath(sys.argv[1])
    if shutil.which("Xvfb") is None or shutil.which("xdotool") is None:
        print("skipped: Xvfb or xdotool missing")
        return SKIP
    server, display_name = e2e.start_xvfb()
    if server is None:
        print("FAIL an Xvfb of the test's own")
        return 1
    runtime = tempfile.mkdtemp(prefix="pellimar-exits-")
    os.chmod(runtime, 0o700)
    suppressions = os.path.join(os.path.dirname(os.path.abspath(__file__)), "lsan.supp")
    env = dict(os.environ, DISPLAY=display_name, XDG_RUNTIME_DIR=runtime, VORNEK_INSTANCE_SCOPE=runtime,
               ASAN_OPTIONS="detect_leaks=1", LSAN_OPTIONS=f"suppressions={suppressions}")
    env.pop("SDL_VIDEODRIVER", None)
    env.pop("VORNEK_SOFTWARE", None)
    os.environ["DISPLAY"] = display_name
    held = e2e.hold_display()
    cases = [("hardware", "Escape", end_with_escape, 0), ("hardware", "SIGTERM", end_with_sigterm, 0),
             ("hardware", "window destroyed", end_by_destroying, 0),
             ("hardware", "connection killed", end_by_killing_the_client, 1),
             ("software", "Escape", end_with_escape, 0)]
    failures = []
    try:
        for back_end, label, end, expected in cases:
            case_env = dict(env, VORNEK_SOFTWARE="1") if back_end == "software" else env
            process = subprocess.Popen([game], env=case_env, stderr=subprocess.PIPE)
            try:
                window = e2e.find_window(process.pid, 20)
                if window is None:
                    failures.append(f"{back_end}, {label}: no window")
                    continue
                time.sleep(1.0)  # past the start-up, which may replace the window
                window = e2e.find_window(process.pid) or window
                end(process, window)
                status = e2e.wait_exit(process, 30)
                errors = process.stderr.read().decode(errors="replace")
                leaks = "LeakSanitizer" in errors
                ok = status == expected and not leaks
                print(("ok   " if ok else "FAIL ") + f"{back_end}, {label}: status {status} (expected {expected})"
                      + (", leaks reported" if leaks else ""), flush=True)
                if not ok:
                    print(errors[-3000:])
                    failures.append(f"{back_end}, {label}")
            finally:
                if process.poll() is None:
                    process.kill()
                    process.wait()
    finally:
        del held
        server.terminate()
        server.wait()
        shutil.rmtree(runtime, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
