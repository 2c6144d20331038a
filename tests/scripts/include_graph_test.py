#!/usr/bin/env python3
"""The include-graph script on small engine trees made for each case."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts",
                      "include_graph.py")


def run(files, *arguments):
    """Writes files {path under engine/: text} into a fresh tree and runs the script on it."""
    with tempfile.TemporaryDirectory() as top:
        root = os.path.join(top, "engine")
        for path, text in files.items():
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w", encoding="utf-8") as out:
                out.write(text)
        done = subprocess.run([sys.executable, SCRIPT, "--root", root, *arguments],
                              capture_output=True, text=True, check=False)
        return done.returncode, done.stdout, done.stderr


# Headers every tree below has, so that an include names something that exists.
BASE = {
    "core/log.h": "",
    "core/engine_state.h": "",
    "include/vornek/vornek.h": "",
    "color/color_data.h": '#include "vornek.h"\n',
    "graphics/graphics_state.h": "",
    "graphics/soft/mem_img.h": '#include "color_data.h"\n',
    "window/window.h": "",
    "input/input.h": "",
    "text/font_system.h": "",
}


class IncludeGraphTest(unittest.TestCase):
    def test_trees(self):
        cases = [
            # (what, extra files, status, text expected in stdout + stderr)
            ("layers that only look down", {
                "text/draw.cpp": '#include "../core/log.h"\n#include "../graphics/graphics_state.h"\n',
                "graphics/present.cpp": '#include "../core/log.h"\n',
            }, 0, "text -> graphics  (1)"),
            ("a planted cycle between core and text", {
                "core/screen.cpp": '#include "../text/font_system.h"\n',
                "text/draw.cpp": '#include "../core/log.h"\n',
            }, 1, "core/screen.cpp -> text/font_system.h"),
            ("a cycle closed through a third subsystem", {
                "core/a.cpp": '#include "../window/window.h"\n',
                "window/b.cpp": '#include "../graphics/graphics_state.h"\n',
                "graphics/c.cpp": '#include "../core/log.h"\n',
            }, 1, "a cycle through core, graphics, window"),
            ("the allowed window, graphics and input cycle", {
                "window/a.cpp": '#include "../graphics/graphics_state.h"\n#include "../input/input.h"\n',
                "graphics/b.cpp": '#include "../window/window.h"\n',
                "input/c.cpp": '#include "../window/window.h"\n',
            }, 0, "allowed cycle: graphics <-> input <-> window"),
            ("an include named from the engine's top, not beside the file", {
                "core/a.cpp": '#include "text/font_system.h"\n',
                "text/b.cpp": '#include "core/log.h"\n',
            }, 1, "core/a.cpp -> text/font_system.h"),
            ("the software renderer reaching into core", {
                "graphics/soft/alloc.cpp": '#include "../../core/engine_state.h"\n',
            }, 1, "graphics/soft/alloc.cpp includes core/engine_state.h"),
            ("the software renderer reaching into its own subsystem's state", {
                "graphics/soft/draw.cpp": '#include "../graphics_state.h"\n',
            }, 1, "graphics/soft/draw.cpp includes graphics/graphics_state.h"),
            ("the software renderer with colour formats and the public header", {
                "graphics/soft/draw.cpp": '#include "mem_img.h"\n#include "color_data.h"\n'
                                          '#include "../../color/color_data.h"\n'
                                          '#include "vornek.h"\n',
                "graphics/screen.cpp": '#include "soft/mem_img.h"\n',
            }, 0, "graphics -> graphics/soft  (1)"),
            ("geometry that both back-ends share, below both", {
                "graphics/circle_walk.h": "#include <cmath>\n",
                "graphics/soft/circle.cpp": '#include "../circle_walk.h"\n',
                "graphics/hardware/circle.cpp": '#include "../circle_walk.h"\n',
                "graphics/screen.cpp": '#include "soft/mem_img.h"\n',
            }, 0, "graphics/soft -> graphics/geometry  (1)"),
            ("headers outside the engine are no edges", {
                "core/a.cpp": '#include "platform/kernel32.h"\n#include <cstdio>\n',
            }, 0, "no other cycle"),
        ]
        for what, extra, status, expected in cases:
            with self.subTest(what):
                code, out, err = run({**BASE, **extra})
                self.assertEqual(code, status, out + err)
                self.assertIn(expected, out + err)

    def test_soft_only_checks_nothing_but_the_software_renderer(self):
        cycle = {"core/a.cpp": '#include "../text/font_system.h"\n',
                 "text/b.cpp": '#include "../core/log.h"\n'}
        self.assertEqual(run({**BASE, **cycle}, "--soft-only")[0], 0)
        code, _, err = run({**BASE, "graphics/soft/x.h": '#include "../../core/log.h"\n'}, "--soft-only")
        self.assertEqual(code, 1)
        self.assertIn("graphics/soft/x.h includes core/log.h", err)

    def test_a_missing_root_is_an_error(self):
        done = subprocess.run([sys.executable, SCRIPT, "--root", "/nonexistent/engine"],
                              capture_output=True, text=True, check=False)
        self.assertEqual(done.returncode, 2)
        self.assertIn("no directory", done.stderr)


if __name__ == "__main__":
    unittest.main()
