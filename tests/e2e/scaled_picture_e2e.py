#!/usr/bin/env python3
"""End-to-end check of the game's picture scaled on a real X display, on both back-ends.

Usage: scaled_picture_e2e.py PATH_TO_PELLIMAR

On an Xvfb of its own (one mode, 1920 x 1280, larger than twice the game's screen in height
only just): the window is mapped once at start-up; Alt+Enter takes the game to full-screen,
where the picture is the windowed one doubled, centred on black, and an xdotool drag swaps two
balls; Alt+Enter brings the window back; a window resized with xdotool shows the whole picture
scaled (doubled, then shrunk and letterboxed) and a drag still swaps. Exits 77 (skipped) without
Xvfb or xdotool. Every wait is bounded.
"""
import ctypes
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import game_window_e2e as e2e  # noqa: E402

SKIP = 77
SCREEN_W, SCREEN_H = 800, 600
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)


class Maps:
    """Counts the windows mapped on the display from now on (MapNotify on the root)."""

    def __init__(self, display):
        self.x11 = e2e.libx11()
        self.display = display
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self.x11.XPending.argtypes = [ctypes.c_void_p]
        self.x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x11.XSelectInput(display, self.x11.XDefaultRootWindow(display), 1 << 19)  # SubstructureNotifyMask
        self.x11.XSync(display, 0)
        self.count = 0

    def read(self):
        self.x11.XSync(self.display, 0)
        event = ctypes.create_string_buffer(192)
        while self.x11.XPending(self.display):
            self.x11.XNextEvent(self.display, event)
            if int.from_bytes(event.raw[0:4], "little") == 19:  # MapNotify
                self.count += 1
        return self.count


class Picture(e2e.Picture):
    """The window's pixels at any size."""

    def __init__(self, display, window, width, height):
        x11 = e2e.libx11()
        x11.XGetImage.restype = ctypes.POINTER(e2e.XImage)
        x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                  ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x11.XFree.argtypes = [ctypes.c_void_p]
        self.width, self.height, self.pixels = 0, 0, b""
        image = x11.XGetImage(display, int(window), 0, 0, width, height, 0xFFFFFFFF, 2)
        if not image:
            return
        header = image.contents
        if header.bits_per_pixel == 32:
            self.width, self.height, self.stride = header.width, header.height, header.bytes_per_line
            self.pixels = ctypes.string_at(header.data, header.bytes_per_line * header.height)
        x11.XFree(header.data)
        x11.XFree(image)


def geometry(window):
    code, out = e2e.xdotool("getwindowgeometry", "--shell", window)
    values = dict(line.split("=", 1) for line in out.decode().split()) if code == 0 else {}
    return tuple(int(values.get(k, 0)) for k in ("X", "Y", "WIDTH", "HEIGHT"))


def fit(width, height):
    """Where the 800 x 600 picture lands on an output: the largest whole factor, else shrunk."""
    whole = min(width // SCREEN_W, height // SCREEN_H)
    if whole >= 1:
        w, h = SCREEN_W * whole, SCREEN_H * whole
    elif width * SCREEN_H <= height * SCREEN_W:
        w, h = width, SCREEN_H * width // SCREEN_W
    else:
        w, h = SCREEN_W * height // SCREEN_H, height
    return (width - w) // 2, (height - h) // 2, w, h


def to_output(placed, x, y):
    """The output pixel showing picture pixel (x, y): the first whose centre falls in it."""
    fx, fy, w, h = placed
    return fx + (2 * x * w + 2 * SCREEN_W - 1 - SCREEN_W) // (2 * SCREEN_W) if x else fx, \
        fy + (2 * y * h + 2 * SCREEN_H - 1 - SCREEN_H) // (2 * SCREEN_H) if y else fy


def scaled_board(picture, placed):
    return [[picture.at(*to_output(placed, *e2e.cell_centre(r, c))) for c in range(e2e.BOARD_SIZE)]
            for r in range(e2e.BOARD_SIZE)]


def wait_board(display, window, size, placed, seconds=20):
    deadline = time.monotonic() + seconds
    previous = None
    while time.monotonic() < deadline:
        e2e.xdotool("windowfocus", window)
        picture = Picture(display, window, *size)
        board = scaled_board(picture, placed) if picture else None
        if board is not None and board == previous and all(all(r) for r in board) and not e2e.has_run(board):
            return board, picture
        previous = board
        time.sleep(0.5)
    return None, None


def same_scaled(windowed, picture, placed):
    """Every output pixel of the placed board (sampled) shows the windowed picture's pixel
    under its centre, as a nearest-neighbour scaling picks it."""
    fx, fy, w, h = placed
    for oy in range(fy, fy + h, 3):
        y = (2 * (oy - fy) + 1) * SCREEN_H // (2 * h)
        if y >= 544:
            break
        for ox in range(fx, fx + w, 3):
            x = (2 * (ox - fx) + 1) * SCREEN_W // (2 * w)
            if x >= 544:
                break
            if picture.at(ox, oy) != windowed.at(x, y):
                return False, (ox, oy)
    return True, None


def drag_swaps(display, window, size, placed, origin, what):
    """Drags a ball onto its right neighbour with xdotool at the scaled place; origin is the
    window's corner on the screen."""
    board, _ = wait_board(display, window, size, placed)
    check(board is not None, f"{what}: the board settles")
    found = e2e.quiet_swap(board) if board else None
    check(found is not None, f"{what}: two neighbours to exchange without a run")
    if found is None:
        return None
    row, column, expected = found
    x, y = e2e.cell_centre(row, column)
    start = to_output(placed, x, y)
    e2e.xdotool("mousemove", origin[0] + start[0], origin[1] + start[1])
    time.sleep(0.1)
    e2e.xdotool("mousedown", 1)
    time.sleep(0.1)
    for step in range(8, e2e.CELL + 1, 8):
        at = to_output(placed, x + step, y)
        e2e.xdotool("mousemove", origin[0] + at[0], origin[1] + at[1])
        time.sleep(0.03)
    time.sleep(0.1)
    e2e.xdotool("mouseup", 1)
    after, picture = wait_board(display, window, size, placed)
    check(after == expected, f"{what}: a drag swaps the balls at row {row}, columns {column} and {column + 1}")
    return picture


class Unscaled:
    """The picture as the game drew it, read from a whole-factor scaled one."""

    def __init__(self, picture, placed):
        self.picture, (self.x, self.y, self.factor) = picture, (placed[0], placed[1], placed[2] // SCREEN_W)

    def __bool__(self):
        return bool(self.picture)

    def at(self, x, y):
        return self.picture.at(self.x + x * self.factor, self.y + y * self.factor)


def park_pointer(window, placed):
    """The pointer over the panel, away from the board: the hardware back-end frames the square
    under it, and pictures compared must have it in the same place."""
    x, y = geometry(window)[:2]
    at = to_output(placed, 700, 500)
    e2e.xdotool("mousemove", x + at[0], y + at[1])
    time.sleep(0.2)


def alt_enter(window):
    e2e.xdotool("windowfocus", "--sync", window)
    e2e.xdotool("keydown", "alt")
    e2e.xdotool("keydown", "Return")
    time.sleep(0.2)
    e2e.xdotool("keyup", "Return")
    e2e.xdotool("keyup", "alt")


def wait_geometry(window, wanted, seconds=5):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if geometry(window)[2:] == wanted:
            return True
        time.sleep(0.1)
    return False


def run(game, env, display, held, backend):
    maps = Maps(held)
    process = subprocess.Popen([game], env=env, stderr=subprocess.DEVNULL)
    try:
        window = e2e.find_window(process.pid)
        check(window is not None, f"{backend}: the game shows a window")
        if window is None:
            return
        time.sleep(1.0)
        check(maps.read() == 1, f"{backend}: the window is mapped once at start-up, got {maps.count}")
        windowed_place = (0, 0, SCREEN_W, SCREEN_H)
        park_pointer(window, windowed_place)
        board, windowed = wait_board(held, window, (SCREEN_W, SCREEN_H), windowed_place)
        check(board is not None, f"{backend}: the board settles in the window")

        # Full-screen: the desktop keeps its mode, the picture is doubled on black.
        alt_enter(window)
        check(wait_geometry(window, (1920, 1280)), f"{backend}: Alt+Enter covers the display, got {geometry(window)}")
        check(process.poll() is None, f"{backend}: full-screen runs")
        placed = fit(1920, 1280)
        park_pointer(window, placed)
        board, picture = wait_board(held, window, (1920, 1280), placed)
        check(board is not None, f"{backend}: the board settles in full-screen")
        if picture and windowed:
            same, where = same_scaled(windowed, picture, placed)
            check(same, f"{backend}: the full-screen picture is the windowed one doubled (first difference at {where})")
            check(picture.at(0, 0) == 0 and picture.at(1919, 1279) == 0 and picture.at(placed[0] - 1, 640) == 0,
                  f"{backend}: the bars are black")
        drag_swaps(held, window, (1920, 1280), placed, (0, 0), f"{backend} full-screen")

        alt_enter(window)
        check(wait_geometry(window, (SCREEN_W, SCREEN_H)), f"{backend}: Alt+Enter brings the window back, got "
              f"{geometry(window)}")
        park_pointer(window, windowed_place)
        board, windowed = wait_board(held, window, (SCREEN_W, SCREEN_H), windowed_place)
        check(board is not None, f"{backend}: the board settles in the window again")

        # The player resizes the window: the picture scales to it, the pointer follows.
        for size in ((1600, 1200), (700, 600)):
            e2e.xdotool("windowmove", window, 0, 0)
            e2e.xdotool("windowsize", window, *size)
            check(wait_geometry(window, size), f"{backend}: resized to {size}, got {geometry(window)}")
            placed = fit(*size)
            park_pointer(window, placed)
            board, picture = wait_board(held, window, size, placed)
            check(board is not None, f"{backend}: the board settles at {size}")
            if picture and windowed:
                same, where = same_scaled(windowed, picture, placed)
                check(same, f"{backend}: the picture at {size} is the window's scaled (first difference at {where})")
            x, y = geometry(window)[:2]
            after = drag_swaps(held, window, size, placed, (x, y), f"{backend} at {size}")
            # The next size is compared with the board as the drag left it.
            if placed[2] % SCREEN_W == 0:
                park_pointer(window, placed)
                _, after = wait_board(held, window, size, placed)
                if after:
                    windowed = Unscaled(after, placed)
        check(process.poll() is None, f"{backend}: the game runs on")
        e2e.xdotool("windowfocus", "--sync", window)
        e2e.xdotool("keydown", "Escape")
        time.sleep(0.3)
        e2e.xdotool("keyup", "Escape")
        status = e2e.wait_exit(process)
        check(status == 0, f"{backend}: Escape ends the game with 0, got {status}")
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()


def main():
    game = os.path.abspath(sys.argv[1])
    if shutil.which("xdotool") is None:
        print("skipped: no xdotool")
        return SKIP
    server, display = e2e.start_xvfb("1920x1280x24", noreset=True)
    if server is None:
        print("skipped: no Xvfb")
        return SKIP
    runtime = tempfile.mkdtemp(prefix="pellimar-scaled-")
    os.chmod(runtime, 0o700)
    try:
        os.environ["DISPLAY"] = display
        env = dict(os.environ, XDG_RUNTIME_DIR=runtime, DISPLAY=display)
        env.pop("SDL_VIDEODRIVER", None)
        held = e2e.hold_display()
        check(bool(held), "the test connects to its X display")
        if not held:
            return 1
        for backend in ("software", "hardware"):
            run_env = dict(env)
            if backend == "software":
                run_env["VORNEK_SOFTWARE"] = "1"
            else:
                run_env.pop("VORNEK_SOFTWARE", None)
            run(game, run_env, display, held, backend)
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(runtime, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
