#!/usr/bin/env python3
"""End-to-end check of the game's window on a real X display.

Usage: game_window_e2e.py PATH_TO_PELLIMAR

Starts the game and checks, with xdotool and Xlib: an 800 x 600 client area titled
"Pellimar　ver0.10"; a second copy ends with -1 while the first runs, after one line on standard
error; a scripted drag leaves it running; Escape ends it with 0; closing the window (the window
manager's delete request) ends it with 0; without a display it ends with -1 after one line on
standard error.
Exits 77 (skipped) when no X display or xdotool is available. Every wait is bounded.
"""
import ctypes
import ctypes.util
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
TITLE = "Pellimar\u3000ver0.10"
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)


def xdotool(*args, timeout=5):
    result = subprocess.run(["xdotool", *map(str, args)], capture_output=True, timeout=timeout)
    return result.returncode, result.stdout


def display_usable():
    if not os.environ.get("DISPLAY") or shutil.which("xdotool") is None:
        return False
    try:
        return xdotool("getdisplaygeometry")[0] == 0
    except subprocess.TimeoutExpired:
        return False


def find_window(pid, seconds=10):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        code, out = xdotool("search", "--onlyvisible", "--pid", pid)
        ids = out.split()
        if code == 0 and ids:
            return ids[0].decode()
        time.sleep(0.1)
    return None


def wait_exit(process, seconds=10):
    try:
        return process.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        return None


def libx11():
    return ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")


def hold_display():
    """A connection kept open for the whole run: an X server that loses its last client resets,
    and a game starting during the reset would find no display."""
    x11 = libx11()
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    return x11.XOpenDisplay(None)


_ignore_x_errors = None


def send_delete_request(window):
    """What a window manager sends when the user clicks the close box."""
    x11 = libx11()
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("l", ctypes.c_long * 5)]

    class Event(ctypes.Union):
        _fields_ = [("client", ClientMessage), ("pad", ctypes.c_long * 24)]

    # Xlib's default handler ends the whole process on an error such as a window that has just
    # gone; the caller's wait for the game then reports the failure instead.
    global _ignore_x_errors
    handler_type = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
    _ignore_x_errors = handler_type(lambda display, error: 0)
    x11.XSetErrorHandler.argtypes = [handler_type]
    x11.XSetErrorHandler(_ignore_x_errors)
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]

    display = x11.XOpenDisplay(None)
    if not display:
        return False
    event = Event()
    event.client.type = 33  # ClientMessage
    event.client.window = int(window)
    event.client.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.client.format = 32
    event.client.l[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    event.client.l[1] = 0  # CurrentTime
    sent = x11.XSendEvent(display, int(window), 0, 0, ctypes.byref(event))
    x11.XSync(display, 0)
    x11.XCloseDisplay(display)
    return sent != 0


def main():
    game = os.path.abspath(sys.argv[1])
    runtime = tempfile.mkdtemp(prefix="pellimar-e2e-")
    os.chmod(runtime, 0o700)
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime)
    env.pop("SDL_VIDEODRIVER", None)
    # A sanitizer build of the game checks for leaks at exit; the system libraries' own are not ours.
    suppressions = os.path.join(os.path.dirname(os.path.abspath(__file__)), "lsan.supp")
    env["LSAN_OPTIONS"] = ":".join(filter(None, [env.get("LSAN_OPTIONS"), f"suppressions={suppressions}"]))

    # Without a display: -1 after one clear line.
    bare = {k: v for k, v in env.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    result = subprocess.run([game], env=bare, capture_output=True, timeout=20)
    # The debugger output (the free-memory figure the window start sends) also goes to standard
    # error; besides it, one line says why the game cannot start.
    lines = [line for line in result.stderr.decode(errors="replace").splitlines()
             if not re.fullmatch(r"\d+\.\d\dMB", line)]
    check(result.returncode == 255, f"no display: exit status {result.returncode}, expected 255")
    check(len(lines) == 1 and "cannot open a window: no display" in lines[0],
          f"no display: one line on stderr, got {lines}")

    if not display_usable():
        if failures:
            return 1
        print("skipped: no X display or xdotool")
        return SKIP

    held = hold_display()
    check(bool(held), "the test connects to the X display")
    first = subprocess.Popen([game], env=env, stderr=subprocess.DEVNULL)
    try:
        window = find_window(first.pid)
        check(window is not None, "the game shows a window")
        if window is None:
            return 1
        code, out = xdotool("getwindowgeometry", "--shell", window)
        geometry = dict(line.split("=", 1) for line in out.decode().split())
        check(geometry.get("WIDTH") == "800" and geometry.get("HEIGHT") == "600",
              f"client area 800 x 600, got {geometry.get('WIDTH')} x {geometry.get('HEIGHT')}")
        code, out = xdotool("getwindowname", window)
        check(out.decode("utf-8", errors="replace").rstrip("\n") == TITLE, f"title {TITLE!r}, got {out!r}")

        second = subprocess.run([game], env=env, capture_output=True, timeout=20)
        check(second.returncode == 255, f"a second copy ends with 255, got {second.returncode}")
        lines = [line for line in second.stderr.decode(errors="replace").splitlines()
                 if not re.fullmatch(r"\d+\.\d\dMB", line)]
        check(len(lines) == 1 and "another copy is already running" in lines[0],
              f"a second copy says why in one line on stderr, got {lines}")

        # A drag from one ball to its right neighbour, with the button held.
        xdotool("mousemove", "--window", window, 48, 48)
        xdotool("mousedown", 1)
        for x in (60, 80, 100, 112):
            xdotool("mousemove", "--window", window, x, 48)
            time.sleep(0.05)
        xdotool("mouseup", 1)
        time.sleep(0.3)
        check(first.poll() is None, "the game keeps running after a drag")

        # Held for a while, as a player would: the key state is read once per frame, so a tap
        # shorter than a frame may fall between two reads.
        xdotool("windowfocus", "--sync", window)
        xdotool("keydown", "Escape")
        time.sleep(0.3)
        xdotool("keyup", "Escape")
        status = wait_exit(first)
        check(status == 0, f"Escape ends the game with 0, got {status}")
    finally:
        if first.poll() is None:
            first.kill()
            first.wait()

    closing = subprocess.Popen([game], env=env)
    try:
        window = find_window(closing.pid)
        check(window is not None, "the game shows a window again")
        if window is not None:
            # Past the start-up, whose devices need the window (a close during it ends with -1);
            # the window is looked up again then, in case start-up replaced it.
            time.sleep(1.0)
            window = find_window(closing.pid) or window
            check(send_delete_request(window), "the close request is sent")
            status = wait_exit(closing)
            check(status == 0, f"closing the window ends the game with 0, got {status}")
    finally:
        if closing.poll() is None:
            closing.kill()
            closing.wait()
    shutil.rmtree(runtime, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
