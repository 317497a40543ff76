#!/usr/bin/env python3
"""Lists the includes between the folders of src/ and fails when they make a circle.

    python3 scripts/include_graph.py        # one line per folder: the folders it includes

A folder is a first-level folder of src/ (platform/windows, platform/emulated, ui/win32 and
ui/headless count as folders of their own, since they are layers of their own); main.cpp is
"main". The build enforces the same order through each layer's include view; this is the view a
reader can check at a glance.
"""
import re
import sys
from pathlib import Path

SRC = Path(__file__).resolve().parent.parent / "src"
NESTED = {"platform/windows", "platform/emulated", "ui/win32", "ui/headless"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder_of(relative):
    parts = Path(relative).parts
    if len(parts) == 1:
        return Path(relative).stem
    if len(parts) > 2 and "/".join(parts[:2]) in NESTED:
        return "/".join(parts[:2])
    return parts[0]


def edges():
    found = {}
    for path in sorted(SRC.rglob("*")):
        if path.suffix not in (".h", ".cpp") or not path.is_file():
            continue
        source = folder_of(path.relative_to(SRC).as_posix())
        for included in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
            if not (SRC / included).exists():
                continue  # generated (version.h) or a tool's own header
            target = folder_of(included)
            if target != source:
                found.setdefault(source, {}).setdefault(target, 0)
                found[source][target] += 1
    return found


def circle(graph):
    """One circle of the graph as a list of folders, or None."""
    state = {}
    stack = []

    def visit(node):
        state[node] = "open"
        stack.append(node)
        for nxt in sorted(graph.get(node, {})):
            if state.get(nxt) == "open":
                return stack[stack.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt)
                if found:
                    return found
        stack.pop()
        state[node] = "done"
        return None

    for node in sorted(graph):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def main():
    graph = edges()
    for source in sorted(graph):
        targets = ", ".join(f"{t} ({n})" for t, n in sorted(graph[source].items()))
        print(f"{source:18} -> {targets}")
    found = circle(graph)
    if found:
        print("circle: " + " -> ".join(found))
        return 1
    print("no circle")
    return 0


if __name__ == "__main__":
    sys.exit(main())
