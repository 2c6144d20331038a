#!/usr/bin/env python3
"""What the game costs a player's desktop: time to first frame, CPU share and resident memory.

Usage: bench/desktop_bench.py [PATH_TO_PELLIMAR] [--runs N] [--seconds S]

Starts an X server of its own (Xvfb, 1280 x 1024 x 24, no GPU: what a machine without one
offers) and runs the game on it with a fresh runtime directory. Reports, per start, the time from
starting the process to the first picture in its window (the board's grid drawn), then for one
copy left at rest the share of one core it takes and its resident memory, both while its window
is active (focused, pointer inside, the board settled) and while it is inactive (paused). The
machine's other load shows in the figures: run it on a quiet machine, and more than once.
Goals: first frame under 400 ms, under 5 % of a core at rest, under 40 MB resident.
"""
import argparse
import ctypes
import ctypes.util
import os
import shutil
import subprocess
import sys
import tempfile
import time

TICKS = os.sysconf("SC_CLK_TCK")


def libx11():
    return ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


class Display:
    def __init__(self, name):
        self.x11 = libx11()
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XGetImage.restype = ctypes.POINTER(XImage)
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                       ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x11.XFree.argtypes = [ctypes.c_void_p]
        handler_type = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
        self._ignore = handler_type(lambda display, error: 0)  # windows come and go under us
        self.x11.XSetErrorHandler.argtypes = [handler_type]
        self.x11.XSetErrorHandler(self._ignore)
        self.handle = self.x11.XOpenDisplay(name.encode())

    def root(self):
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        return self.x11.XDefaultRootWindow(self.handle)

    def grid_drawn(self, window):
        """Whether the board's left edge (a white line at x = 16) is in the window's picture."""
        image = self.x11.XGetImage(self.handle, window, 16, 16, 1, 512, 0xFFFFFFFF, 2)
        if not image:
            return False
        header = image.contents
        drawn = False
        if header.bits_per_pixel == 32:
            data = ctypes.string_at(header.data, header.bytes_per_line * header.height)
            drawn = any(data[i * header.bytes_per_line:i * header.bytes_per_line + 3] == b"\xff\xff\xff"
                        for i in range(header.height))
        self.x11.XFree(header.data)
        self.x11.XFree(image)
        return drawn


def start_xvfb():
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                              pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read, 16)
        if not chunk:
            break
        number += chunk
    os.close(read)
    return server, ":" + number.strip().decode()


def xdotool(env, *args):
    return subprocess.run(["xdotool", *map(str, args)], env=env, capture_output=True, timeout=5).stdout.split()


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime, stime


def resident_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def first_frame(game, env, display):
    """Seconds from the start of the process to its first picture, and the running process."""
    start = time.monotonic()
    process = subprocess.Popen([game], env=env, stderr=subprocess.DEVNULL)
    window = None
    while time.monotonic() - start < 20 and process.poll() is None:
        # Looked up each time: SDL may replace the window while it starts.
        ids = xdotool(env, "search", "--onlyvisible", "--pid", process.pid)
        window = int(ids[-1]) if ids else None
        if window is not None and display.grid_drawn(window):
            return time.monotonic() - start, process, window
        time.sleep(0.002)
    return None, process, window


def share(pid, seconds):
    before, start = cpu_seconds(pid), time.monotonic()
    time.sleep(seconds)
    return 100.0 * (cpu_seconds(pid) - before) / (time.monotonic() - start)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("game", nargs="?", default=os.path.join(os.path.dirname(__file__), "..", "build", "pellimar"))
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--seconds", type=float, default=10.0)
    args = parser.parse_args()
    if shutil.which("Xvfb") is None or shutil.which("xdotool") is None:
        print("needs Xvfb and xdotool", file=sys.stderr)
        return 1
    game = os.path.abspath(args.game)
    server, name = start_xvfb()
    runtime = tempfile.mkdtemp(prefix="pellimar-bench-")
    env = dict(os.environ, DISPLAY=name, XDG_RUNTIME_DIR=runtime, VORNEK_INSTANCE_SCOPE=runtime)
    env.pop("SDL_VIDEODRIVER", None)
    env.pop("WAYLAND_DISPLAY", None)
    try:
        display = Display(name)
        times = []
        for run in range(args.runs):
            seconds, process, window = first_frame(game, env, display)
            if seconds is not None:
                times.append(seconds)
            last = run == args.runs - 1
            if not last:
                process.kill()
                process.wait()
        if not times or window is None:
            print("no first frame seen", file=sys.stderr)
            process.kill()
            process.wait()
            return 1
        print(f"first frame:       {', '.join(f'{t * 1000:.0f}' for t in times)} ms"
              f"  (median {sorted(times)[len(times) // 2] * 1000:.0f} ms, goal < 400 ms)")
        # The last copy stays: active at rest, then inactive.
        xdotool(env, "mousemove", "--window", window, 700, 500)
        xdotool(env, "windowfocus", "--sync", window)
        time.sleep(4.0)  # the board fills and settles
        active = share(process.pid, args.seconds)
        active_mb = resident_mb(process.pid)
        xdotool(env, "mousemove", 1200, 1000)
        xdotool(env, "windowfocus", display.root())
        time.sleep(0.5)
        inactive = share(process.pid, args.seconds)
        inactive_mb = resident_mb(process.pid)
        print(f"active, at rest:   {active:5.1f} % of a core, {active_mb:5.1f} MB resident  (goals < 5 %, < 40 MB)")
        print(f"inactive (paused): {inactive:5.1f} % of a core, {inactive_mb:5.1f} MB resident")
        process.kill()
        process.wait()
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(runtime, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
