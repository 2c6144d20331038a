#!/usr/bin/env python3
"""Hello from Python: the engine's shared library through ctypes, nothing compiled.

A window with a disc that circles a box and a line of text; Escape or closing the window ends.

    hello_ctypes.py [--frames N] [--library PATH]

The library is libvornek.so.0 from the system's search path unless --library names it.
"""
import argparse
import ctypes
import math
import sys

# From vornek.h.
TRUE, FALSE = 1, 0
SCREEN_BACK = -2
KEY_ESCAPE = 0x01


def load(path):
    engine = ctypes.CDLL(path)
    signatures = {
        "SetWindowTitle": (ctypes.c_int, [ctypes.c_char_p]),
        "ChangeWindowMode": (ctypes.c_int, [ctypes.c_int]),
        "SetScreenMode": (ctypes.c_int, [ctypes.c_int] * 4),
        "SetLogOutputFlag": (ctypes.c_int, [ctypes.c_int]),
        "SetUseUtf8Text": (ctypes.c_int, [ctypes.c_int]),
        "InitEngine": (ctypes.c_int, []),
        "EndEngine": (ctypes.c_int, []),
        "PumpMessages": (ctypes.c_int, []),
        "GetLastErrorText": (ctypes.c_char_p, []),
        "SelectDrawTarget": (ctypes.c_int, [ctypes.c_int]),
        "IsKeyDown": (ctypes.c_int, [ctypes.c_int]),
        "ClearScreen": (ctypes.c_int, []),
        "PresentScreen": (ctypes.c_int, []),
        "MakeColor": (ctypes.c_uint32, [ctypes.c_int] * 3),
        "DrawBox": (ctypes.c_int, [ctypes.c_int] * 4 + [ctypes.c_uint32, ctypes.c_int]),
        "DrawCircle": (ctypes.c_int, [ctypes.c_int] * 3 + [ctypes.c_uint32, ctypes.c_int]),
        "DrawText": (ctypes.c_int, [ctypes.c_int, ctypes.c_int, ctypes.c_char_p, ctypes.c_uint32, ctypes.c_uint32]),
        "GetTextWidth": (ctypes.c_int, [ctypes.c_char_p, ctypes.c_int]),
    }
    for name, (result, arguments) in signatures.items():
        function = getattr(engine, name)
        function.restype = result
        function.argtypes = arguments
    return engine


def main():
    parser = argparse.ArgumentParser(description="A window drawn through the engine's shared library.")
    parser.add_argument("--frames", type=int, default=-1, help="end by itself after this many frames")
    parser.add_argument("--library", default="libvornek.so.0", help="the shared library to load")
    options = parser.parse_args()

    engine = load(options.library)
    engine.SetWindowTitle("Hello from Python".encode())
    engine.ChangeWindowMode(TRUE)
    engine.SetScreenMode(640, 480, 32, 60)
    engine.SetLogOutputFlag(FALSE)
    engine.SetUseUtf8Text(TRUE)
    if engine.InitEngine() != 0:
        print("hello_ctypes: " + engine.GetLastErrorText().decode(), file=sys.stderr)
        return 1
    engine.SelectDrawTarget(SCREEN_BACK)

    white = engine.MakeColor(255, 255, 255)
    yellow = engine.MakeColor(255, 200, 0)
    text = "Hello from Python: Escape ends".encode()
    frame = 0
    while options.frames < 0 or frame < options.frames:
        if engine.PumpMessages() != 0 or engine.IsKeyDown(KEY_ESCAPE):
            break
        engine.ClearScreen()
        engine.DrawBox(120, 90, 520, 390, white, FALSE)
        angle = frame * 0.05
        engine.DrawCircle(320 + int(150 * math.cos(angle)), 240 + int(100 * math.sin(angle)), 20, yellow, TRUE)
        engine.DrawText((640 - engine.GetTextWidth(text, -1)) // 2, 20, text, white, 0)
        engine.PresentScreen()
        frame += 1
    engine.EndEngine()
    print(f"{frame} frames")
    return 0


if __name__ == "__main__":
    sys.exit(main())
