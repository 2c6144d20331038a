#!/usr/bin/env python3
"""End-to-end check of the game's window on a real X display.

Usage: game_window_e2e.py PATH_TO_PELLIMAR

Starts the game and checks, with xdotool and Xlib: an 800 x 600 client area titled
"Pellimar　ver0.10"; a second copy ends with -1 while the first runs,
after one line on standard error; the pointer moved by
xdotool (which moves the X cursor without the input extension's raw events) shows on the panel,
and a plain press, move and release swaps two balls, as seen in the window's picture; Escape
ends it with 0; closing the window (the window manager's delete request) ends it with 0, and so
does destroying it from outside; a second copy is refused whatever its runtime directory, and a
copy killed leaves nothing that refuses the next; copies on another display or under a
display-less driver do not keep a copy from starting; without a display it ends with -1 after one line on standard error,
and a display lost while it runs ends it with 1 after one line there.
Exits 77 (skipped) when no X display or xdotool is available. Every wait is bounded.
"""
import ctypes
import ctypes.util
import os
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
    """The game's visible window, once the same one has stood for half a second: the hardware
    back-end replaces the window it starts with by one that can carry OpenGL."""
    deadline = time.monotonic() + seconds
    seen, since = None, None
    while time.monotonic() < deadline:
        code, out = xdotool("search", "--onlyvisible", "--pid", pid)
        ids = out.split()
        current = ids[-1].decode() if code == 0 and ids else None
        if current != seen:
            seen, since = current, time.monotonic()
        elif seen is not None and time.monotonic() - since >= 0.5:
            return seen
        time.sleep(0.05)
    return seen


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
    ignore_x_errors()
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    return x11.XOpenDisplay(None)


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


class Picture:
    """The window's client area as 0xRRGGBB values, read from the X server."""

    def __init__(self, display, window):
        x11 = libx11()
        x11.XGetImage.restype = ctypes.POINTER(XImage)
        x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                  ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x11.XFree.argtypes = [ctypes.c_void_p]
        self.width, self.height, self.pixels = 0, 0, b""
        image = x11.XGetImage(display, int(window), 0, 0, 800, 600, 0xFFFFFFFF, 2)  # ZPixmap
        if not image:
            return
        header = image.contents
        if header.bits_per_pixel == 32:
            self.width, self.height, self.stride = header.width, header.height, header.bytes_per_line
            self.pixels = ctypes.string_at(header.data, header.bytes_per_line * header.height)
        x11.XFree(header.data)
        x11.XFree(image)

    def __bool__(self):
        return self.width > 0

    def at(self, x, y):
        offset = y * self.stride + x * 4
        return int.from_bytes(self.pixels[offset:offset + 4], "little") & 0xFFFFFF

    def region(self, left, top, right, bottom):
        return b"".join(self.pixels[y * self.stride + left * 4:y * self.stride + right * 4] for y in range(top, bottom))


BOARD_LEFT, CELL, BOARD_SIZE = 16, 64, 8
PANEL = (544, 0, 800, 200)  # the debug panel, where the cursor's position is written


def cell_centre(row, column):
    return BOARD_LEFT + CELL * column + CELL // 2, BOARD_LEFT + CELL * row + CELL // 2


def board_colours(picture):
    """Each square's ball by the colour of its centre: [row][column]."""
    return [[picture.at(*cell_centre(r, c)) for c in range(BOARD_SIZE)] for r in range(BOARD_SIZE)]


def wait_settled(display, window, seconds=20):
    """The board once every square holds a ball, no run is left and the picture stops changing.
    The game pauses while its window is inactive: the caller keeps the focus in it."""
    deadline = time.monotonic() + seconds
    previous = None
    while time.monotonic() < deadline:
        # On a display shared with other windows (a game the player runs, say) the picture read
        # back and the pointer's events are the topmost window's, and the focus may move.
        xdotool("windowraise", window)
        xdotool("windowfocus", window)
        picture = Picture(display, window)
        board = board_colours(picture) if picture else None
        if board is not None and board == previous and all(all(row) for row in board) and not has_run(board):
            return board
        previous = board
        time.sleep(0.7)
    return None


def has_run(board):
    for r in range(BOARD_SIZE):
        for c in range(BOARD_SIZE):
            colour = board[r][c]
            if c + 2 < BOARD_SIZE and board[r][c + 1] == colour and board[r][c + 2] == colour:
                return True
            if r + 2 < BOARD_SIZE and board[r + 1][c] == colour and board[r + 2][c] == colour:
                return True
    return False


def quiet_swap(board):
    """Two horizontal neighbours of different colours whose exchange makes no run, so the
    exchanged board stays on the screen."""
    for r in range(BOARD_SIZE):
        for c in range(BOARD_SIZE - 1):
            if board[r][c] == board[r][c + 1]:
                continue
            swapped = [row[:] for row in board]
            swapped[r][c], swapped[r][c + 1] = swapped[r][c + 1], swapped[r][c]
            if not has_run(swapped):
                return r, c, swapped
    return None


def panel_after_hover(display, window, x, y):
    xdotool("windowraise", window)
    xdotool("mousemove", "--window", window, x, y)
    time.sleep(0.4)
    return Picture(display, window).region(*PANEL)


def start_xvfb(screen="1024x768x24", noreset=False):
    """An X display of the test's own (server, name), or (None, None). With noreset the server
    keeps its state when its last client leaves, as a desktop does."""
    if shutil.which("Xvfb") is None:
        return None, None
    read, write = os.pipe()
    command = ["Xvfb", "-displayfd", str(write), "-screen", "0", screen, "-nolisten", "tcp"]
    if noreset:
        command.append("-noreset")
    server = subprocess.Popen(command, pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    number = b""
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline and not number.endswith(b"\n"):
        chunk = os.read(read, 16)
        if not chunk:
            break
        number += chunk
    os.close(read)
    if not number.strip().isdigit():
        server.kill()
        server.wait()
        return None, None
    return server, ":" + number.strip().decode()


_ignore_x_errors = None


def ignore_x_errors():
    """Xlib's default handler ends the whole process on an error such as a window that has just
    gone; the checks that follow report the failure instead."""
    global _ignore_x_errors
    if _ignore_x_errors is not None:
        return
    x11 = libx11()
    handler_type = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
    _ignore_x_errors = handler_type(lambda display, error: 0)
    x11.XSetErrorHandler.argtypes = [handler_type]
    x11.XSetErrorHandler(_ignore_x_errors)


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

    ignore_x_errors()
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
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime, VORNEK_INSTANCE_SCOPE=runtime)
    env.pop("SDL_VIDEODRIVER", None)
    # A sanitizer build of the game checks for leaks at exit; the system libraries' own are not ours.
    suppressions = os.path.join(os.path.dirname(os.path.abspath(__file__)), "lsan.supp")
    env["LSAN_OPTIONS"] = ":".join(filter(None, [env.get("LSAN_OPTIONS"), f"suppressions={suppressions}"]))

    # Without a display: -1 after one clear line.
    bare = {k: v for k, v in env.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    result = subprocess.run([game], env=bare, capture_output=True, timeout=20)
    lines = result.stderr.decode(errors="replace").splitlines()
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
        lines = second.stderr.decode(errors="replace").splitlines()
        check(len(lines) == 1 and "another copy is already running" in lines[0],
              f"a second copy says why in one line on stderr, got {lines}")
        # Copies find each other on the display, whatever their environment: a launcher and a
        # terminal easily differ in their runtime and temporary directories.
        elsewhere = tempfile.mkdtemp(prefix="pellimar-e2e-other-")
        os.chmod(elsewhere, 0o700)
        without = {k: v for k, v in env.items() if k != "XDG_RUNTIME_DIR"}
        for label, other_env in (("another runtime directory", dict(env, XDG_RUNTIME_DIR=elsewhere)),
                                 ("no runtime directory", dict(without, TMPDIR=elsewhere))):
            other = subprocess.Popen([game], env=other_env, stderr=subprocess.DEVNULL)
            status = wait_exit(other, 10)
            check(status == 255, f"a second copy with {label} ends with 255, got {status}")
        shutil.rmtree(elsewhere, ignore_errors=True)

        # The pointer as a person (or a remote desktop) moves it: xdotool moves the X cursor with
        # plain motion. Hovering writes the position on the panel. The window is looked up again
        # once the start-up is over, in case it replaced the window.
        time.sleep(1.0)
        window = find_window(first.pid) or window
        xdotool("mousemove", "--window", window, 700, 500)
        xdotool("windowfocus", "--sync", window)
        board = wait_settled(held, window)
        check(board is not None, "the board settles")
        first_panel = panel_after_hover(held, window, 100, 100)
        second_panel = panel_after_hover(held, window, 300, 200)
        third_panel = panel_after_hover(held, window, 650, 400)
        check(first_panel != second_panel and second_panel != third_panel and first_panel != third_panel,
              "hovering changes the position on the panel")

        # Press on a ball, move onto its right neighbour, let go: the two are exchanged.
        found = quiet_swap(board) if board else None
        check(found is not None, "the board has two neighbours to exchange without a run")
        if found is not None:
            row, column, expected = found
            x, y = cell_centre(row, column)
            xdotool("windowraise", window)
            xdotool("mousemove", "--window", window, x, y)
            time.sleep(0.1)
            xdotool("mousedown", 1)
            time.sleep(0.1)
            for step in range(8, CELL + 1, 8):
                xdotool("mousemove", "--window", window, x + step, y)
                time.sleep(0.03)
            time.sleep(0.1)
            xdotool("mouseup", 1)
            after = wait_settled(held, window)
            check(after == expected, f"a plain drag swaps the balls at row {row}, columns {column} and {column + 1}")
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
    # Destroyed from outside (not a close request): the game closes as if asked, in order.
    destroyed = subprocess.Popen([game], env=env, stderr=subprocess.PIPE)
    try:
        window = find_window(destroyed.pid)
        check(window is not None, "the game shows a window once more")
        if window is not None:
            time.sleep(1.0)
            window = find_window(destroyed.pid) or window
            xdotool("windowclose", window)
            status = wait_exit(destroyed)
            errors = destroyed.stderr.read().decode(errors="replace")
            check(status == 0, f"a window destroyed from outside ends the game with 0, got {status}: {errors!r}")
            check("X error" not in errors, f"no X error reported for the destroyed window, got {errors!r}")
    finally:
        if destroyed.poll() is None:
            destroyed.kill()
            destroyed.wait()

    # The claim dies with its copy, however that ends: after a kill, a new copy starts.
    killed = subprocess.Popen([game], env=env, stderr=subprocess.DEVNULL)
    try:
        check(find_window(killed.pid) is not None, "a copy to kill shows its window")
    finally:
        killed.kill()
        killed.wait()
    after_kill = subprocess.Popen([game], env=env, stderr=subprocess.DEVNULL)
    try:
        check(find_window(after_kill.pid) is not None, "a copy starts after the last one was killed")
    finally:
        after_kill.kill()
        after_kill.wait()

    # The lock reaches one display: copies on another X display and under the display-less
    # driver, sharing the runtime directory, keep no copy from starting here.
    others = []
    server, other_display = start_xvfb()
    try:
        check(server is not None, "a second X display for the test")
        if server is not None:
            others.append(subprocess.Popen([game], env=dict(env, DISPLAY=other_display), stderr=subprocess.DEVNULL))
        others.append(subprocess.Popen([game], env=dict(env, SDL_VIDEODRIVER="dummy"), stderr=subprocess.DEVNULL))
        time.sleep(1.5)
        check(all(p.poll() is None for p in others), "the copies elsewhere run")
        here = subprocess.Popen([game], env=env, stderr=subprocess.DEVNULL)
        try:
            check(find_window(here.pid) is not None, "a copy starts here while copies run on other displays")
        finally:
            here.kill()
            here.wait()
    finally:
        for p in others:
            p.kill()
            p.wait()
        if server is not None:
            server.terminate()
            server.wait()

    # The display goes away under a running game (its server ends): the game ends at once,
    # saying why, instead of waiting on the dead connection.
    server, lost_display = start_xvfb()
    check(server is not None, "an X display to lose")
    if server is not None:
        lost = subprocess.Popen([game], env=dict(env, DISPLAY=lost_display), stderr=subprocess.PIPE)
        try:
            time.sleep(2.0)  # past the start-up
            server.terminate()
            server.wait()
            status = wait_exit(lost)
            errors = lost.stderr.read().decode(errors="replace")
            check(status == 1, f"losing the display ends the game with 1, got {status}: {errors!r}")
            check(f"connection to the X display {lost_display} was lost" in errors,
                  f"losing the display is told on standard error, got {errors!r}")
        finally:
            if lost.poll() is None:
                lost.kill()
                lost.wait()

    shutil.rmtree(runtime, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
