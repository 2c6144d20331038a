#!/usr/bin/env python3
"""The game on a 16-bit desktop shows the colours it made, whichever back-end draws.

Usage: sixteen_bit_desktop.py PATH_TO_PELLIMAR

Starts an Xvfb of its own with a 16-bit screen and runs the game on it twice, as it chooses its
back-end and with VORNEK_SOFTWARE=1. The game makes its ball colours before the engine starts,
in the 32-bit format; every ball on the settled board must show one of them (to the 5-6-5 bits
the screen keeps), in both runs alike.
Exits 77 (skipped) when Xvfb or xdotool is missing. Every wait is bounded.
"""
import ctypes
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import game_window_e2e as e2e  # noqa: E402  (its X helpers)

SKIP = 77
# The game's ball colours (game/color_table.cpp).
BALLS = [(255, 255, 255), (0, 0, 255), (255, 0, 0), (0, 255, 0), (255, 0, 255), (0, 255, 255), (255, 255, 0),
         (32, 32, 32)]


def to_565(rgb):
    r, g, b = rgb
    return r >> 3, g >> 2, b >> 3


PALETTE = {to_565(c) for c in BALLS}


def ball_colours(display, window):
    """Each square's centre as (r, g, b) reduced to 5-6-5 bits, whatever depth the window has."""
    x11 = e2e.libx11()
    x11.XGetImage.restype = ctypes.POINTER(e2e.XImage)
    x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                              ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    x11.XFree.argtypes = [ctypes.c_void_p]
    image = x11.XGetImage(display, int(window), 0, 0, 800, 600, 0xFFFFFFFF, 2)
    if not image:
        return None
    header = image.contents
    data = ctypes.string_at(header.data, header.bytes_per_line * header.height)
    bpp, stride = header.bits_per_pixel, header.bytes_per_line
    x11.XFree(header.data)
    x11.XFree(image)
    board = []
    for row in range(8):
        for column in range(8):
            x, y = e2e.cell_centre(row, column)
            if bpp == 16:
                v = int.from_bytes(data[y * stride + x * 2:y * stride + x * 2 + 2], "little")
                board.append((v >> 11, (v >> 5) & 63, v & 31))
            elif bpp == 32:
                v = int.from_bytes(data[y * stride + x * 4:y * stride + x * 4 + 4], "little")
                board.append(to_565(((v >> 16) & 255, (v >> 8) & 255, v & 255)))
            else:
                return None
    return board


def settled_colours(display, window, seconds=20):
    """The board's colours once two readings agree and every ball is one of the game's (a run
    counting down shows its number on the ball); the last reading otherwise."""
    deadline = time.monotonic() + seconds
    previous = None
    while time.monotonic() < deadline:
        e2e.xdotool("windowfocus", window)
        board = ball_colours(display, window)
        if board is not None and board == previous and set(board) <= PALETTE:
            return board
        previous = board
        time.sleep(0.5)
    return previous


def main():
    game = os.path.abspath(sys.argv[1])
    if shutil.which("Xvfb") is None or shutil.which("xdotool") is None:
        print("skipped: Xvfb or xdotool missing")
        return SKIP
    server, display_name = e2e.start_xvfb("800x600x16", noreset=True)
    if server is None:
        print("FAIL a 16-bit Xvfb")
        return 1
    runtime = tempfile.mkdtemp(prefix="pellimar-16-")
    os.chmod(runtime, 0o700)
    failures = []
    try:
        env = dict(os.environ, DISPLAY=display_name, XDG_RUNTIME_DIR=runtime, VORNEK_INSTANCE_SCOPE=runtime)
        env.pop("SDL_VIDEODRIVER", None)
        os.environ["DISPLAY"] = display_name
        held = e2e.hold_display()
        for label, extra in (("chosen back-end", {}), ("software back-end", {"VORNEK_SOFTWARE": "1"})):
            process = subprocess.Popen([game], env=dict(env, **extra), stderr=subprocess.DEVNULL)
            try:
                window = e2e.find_window(process.pid)
                if window is None:
                    failures.append(f"{label}: no window")
                    continue
                time.sleep(1.0)
                window = e2e.find_window(process.pid) or window
                board = settled_colours(held, window)
                strange = sorted(set(board or []) - PALETTE)
                ok = board is not None and not strange
                print(("ok   " if ok else "FAIL ") + f"{label}: every ball in a colour of the game's; "
                      f"others seen (5-6-5): {strange}", flush=True)
                if not ok:
                    failures.append(label)
            finally:
                process.kill()
                process.wait()
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(runtime, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
