#!/usr/bin/env python3
"""Fails when the folders of a library include each other in a cycle.

Each library's folders must form layers: a folder may include folders below it, never one that
(directly or through others) includes it back. The check reads the #include lines of every source
file and reports each cycle of folders with one include line that closes it.
"""
import os
import re
import sys

LIBRARIES = ["platform", "Platterkit", "Reelsmith", "app"]
SKIP = {"tests", "fuzz", "bench"}
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]')


def folder_of(path, library):
    parts = path.split("/")
    if parts[0] != library:
        return None
    return "/".join(parts[:-1]) or library


def main(root):
    failed = False
    for library in LIBRARIES:
        base = os.path.join(root, library)
        if not os.path.isdir(base):
            continue
        edges = {}
        for dirpath, dirnames, filenames in os.walk(base):
            dirnames[:] = [d for d in dirnames if d not in SKIP]
            for name in filenames:
                if not name.endswith((".h", ".cpp")):
                    continue
                full = os.path.join(dirpath, name)
                rel = os.path.relpath(full, root)
                here = folder_of(rel, library)
                with open(full, encoding="utf-8", errors="replace") as f:
                    for line in f:
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        target = m.group(1)
                        if "/" not in target:
                            target = os.path.relpath(os.path.join(dirpath, target), root)
                        there = folder_of(target, library)
                        if there and there != here:
                            edges.setdefault(here, {}).setdefault(there, f"{rel}: {line.strip()}")
        # Depth-first search for back edges: every one closes a cycle.
        state = {}
        stack = []

        def visit(node):
            nonlocal failed
            state[node] = 1
            stack.append(node)
            for nxt, why in sorted(edges.get(node, {}).items()):
                if state.get(nxt) == 1:
                    cycle = stack[stack.index(nxt):] + [nxt]
                    print(f"include cycle in {library}: {' -> '.join(cycle)}")
                    print(f"    closed by {why}")
                    failed = True
                elif nxt not in state:
                    visit(nxt)
            stack.pop()
            state[node] = 2

        for node in sorted(edges):
            if node not in state:
                visit(node)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")))
