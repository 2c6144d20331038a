#!/usr/bin/env python3
"""Prints which engine subsystems include which, and fails on a cycle between them.

A subsystem is a directory under engine/ (graphics/soft counts as its own, graphics/hardware
belongs to graphics); engine/include is the public header. Pure geometry that both back-ends
share (GEOMETRY) counts as graphics/geometry, below both. Quoted includes are resolved as the
compiler does: beside the including file, then in the include directories the engine's targets
compile with (INCLUDE_DIRS). Includes that resolve outside engine/ (platform headers, system and
library headers) are not edges.

Every cycle fails except one inside the allowed group (window, graphics and input, which call
one another through the window procedure and the display back-end). The software renderer has
a rule of its own: it may include only its own headers, the colour formats and the public
header and the shared geometry (SOFT_MAY_INCLUDE); any other include from it fails too. Its CMake target runs this
check before it compiles (--soft-only), because no include directory can stop a "../../" path.

  include_graph.py [--root DIR] [--files]     print the graph; status 1 on a fault
  include_graph.py --root DIR --soft-only     check only the software renderer's rule
"""
import argparse
import os
import re
import sys

ALLOWED_CYCLE = {"window", "graphics", "input"}
SOFT = "graphics/soft"
GEOMETRY_NODE = "graphics/geometry"
# Relative to engine/: headers of pure geometry (no engine include) for both back-ends.
GEOMETRY = {
    "graphics/circle_walk.h",
}
# Paths relative to engine/ that the software renderer may include from outside itself.
SOFT_MAY_INCLUDE = {
    "color/color_data.h",
    "include/vornek/vornek.h",
} | GEOMETRY
# Relative to engine/: the include directories of the engine's targets (engine/CMakeLists.txt).
INCLUDE_DIRS = ("", "include", "include/vornek", "color")
INCLUDE_RE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
SOURCE_ENDINGS = (".h", ".hpp", ".cpp", ".cc", ".inc")


def subsystem_of(relative):
    """The subsystem a path relative to engine/ belongs to, or None for files at the top."""
    if relative in GEOMETRY:
        return GEOMETRY_NODE
    parts = relative.split("/")
    if len(parts) < 2:
        return None
    if parts[0] == "graphics" and len(parts) > 2 and parts[1] == "soft":
        return SOFT
    return parts[0]


def resolve(root, including_dir, name):
    """The path relative to root that a quoted include names, or None if it is outside."""
    for base in (including_dir, *(os.path.join(root, d) for d in INCLUDE_DIRS)):
        candidate = os.path.normpath(os.path.join(base, name))
        if os.path.isfile(candidate):
            relative = os.path.relpath(candidate, root)
            return None if relative.startswith("..") else relative.replace(os.sep, "/")
    return None


def read_includes(root):
    """Yields (including file, included file), both relative to root."""
    for directory, subdirs, files in os.walk(root):
        subdirs.sort()
        for name in sorted(files):
            if not name.endswith(SOURCE_ENDINGS):
                continue
            path = os.path.join(directory, name)
            with open(path, encoding="utf-8", errors="replace") as source:
                text = source.read()
            for included in INCLUDE_RE.findall(text):
                target = resolve(root, directory, included)
                if target is not None:
                    yield os.path.relpath(path, root).replace(os.sep, "/"), target


def strongly_connected(nodes, edges):
    """Tarjan's components of the graph, each a sorted list, in a stable order."""
    index, low, on_stack, stack, components = {}, {}, set(), [], []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for successor in sorted(edges.get(node, ())):
            if successor not in index:
                visit(successor)
                low[node] = min(low[node], low[successor])
            elif successor in on_stack:
                low[node] = min(low[node], index[successor])
        if low[node] == index[node]:
            component = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                component.append(member)
                if member == node:
                    break
            components.append(sorted(component))

    for node in sorted(nodes):
        if node not in index:
            visit(node)
    return components


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--root", default=os.path.join(here, "..", "engine"),
                        help="the engine directory (default: engine/ beside scripts/)")
    parser.add_argument("--files", action="store_true",
                        help="under each edge, list the includes that make it")
    parser.add_argument("--soft-only", action="store_true",
                        help="check only what the software renderer includes")
    options = parser.parse_args()
    root = os.path.abspath(options.root)
    if not os.path.isdir(root):
        print(f"include_graph.py: no directory {root}", file=sys.stderr)
        return 2

    edges = {}  # subsystem -> {subsystem -> [(file, included)]}
    nodes = set()
    soft_faults = []
    for source, target in read_includes(root):
        frm, to = subsystem_of(source), subsystem_of(target)
        if frm == SOFT and to != SOFT and target not in SOFT_MAY_INCLUDE:
            soft_faults.append((source, target))
        if frm is None or to is None:
            continue
        nodes.update((frm, to))
        if frm != to:
            edges.setdefault(frm, {}).setdefault(to, []).append((source, target))

    for source, target in soft_faults:
        print(f"fault: {source} includes {target}; the software renderer may include only its "
              f"own headers and {', '.join(sorted(SOFT_MAY_INCLUDE))}", file=sys.stderr)
    if options.soft_only:
        return 1 if soft_faults else 0

    print("Includes between the engine's subsystems (A -> B: files of A include headers of B)")
    for frm in sorted(nodes):
        for to in sorted(edges.get(frm, {})):
            pairs = edges[frm][to]
            print(f"  {frm} -> {to}  ({len(pairs)})")
            if options.files:
                for source, target in pairs:
                    print(f"      {source} -> {target}")

    faults = 0
    for component in strongly_connected(nodes, edges):
        if len(component) < 2:
            continue
        if set(component) <= ALLOWED_CYCLE:
            print(f"allowed cycle: {' <-> '.join(component)}")
            continue
        faults += 1
        print(f"fault: a cycle through {', '.join(component)}; the includes inside it:",
              file=sys.stderr)
        for frm in component:
            for to in sorted(edges.get(frm, {})):
                if to not in component:
                    continue
                pairs = edges[frm][to]
                print(f"  {frm} -> {to}  ({len(pairs)})", file=sys.stderr)
                shown = pairs if options.files else pairs[:3]
                for source, target in shown:
                    print(f"      {source} -> {target}", file=sys.stderr)
                if len(shown) < len(pairs):
                    print(f"      ... {len(pairs) - len(shown)} more (--files lists them)",
                          file=sys.stderr)
    if faults == 0 and not soft_faults:
        print("no other cycle")
    return 1 if faults or soft_faults else 0


if __name__ == "__main__":
    sys.exit(main())
