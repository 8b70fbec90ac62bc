#!/usr/bin/env python3
"""Checks the include graph of the product folders: no loop between files or between folders,
and every include going down the layers. Run from anywhere; exits 1 and names each fault when
there is one.

A unit is a .h and its .cpp. A unit is on the window side when it includes a Qt header or a
window-side unit; otherwise it is plain code. A file's room is its folder and its side; the
tables below say where each room lies and what it may include. Folders stand on tiers as well:
a file includes only files of its own folder or of a folder on a lower tier."""

import os
import re
import sys

# Each layer and the layers it may include besides its own room (its folder and side). Plain
# code of one subsystem may use that of another; a page's window side never another
# subsystem's window side.
MAY_INCLUDE = {
    "base": {"base"},
    "logic": {"base", "logic"},
    "kit": {"base"},
    "services": {"base", "logic", "kit"},
    "pages": {"base", "logic", "kit", "services"},
    "composition": {"base", "logic", "kit", "services", "pages"},
    "device": {"base", "logic"},
    "program": {"base", "logic", "device"},  # programs that use the simulated device's code
}

# Folder: (tier, layer of its plain code, layer of its window side). One line per folder; the
# tiers are those HACKING.md draws, 0 at the bottom.
FOLDERS = {
    "files": (0, "base", None),  # working-folder file access, no Qt
    "formats": (1, "base", None),  # wire and file formats, no Qt, no program-wide state
    "link": (2, "base", None),  # serial ports and command exchanges, no Qt
    "ui": (3, "base", "kit"),  # text type; window, controls, drawing kit
    "upgrade": (3, "logic", None),  # the console upgrade tool
    "sim": (3, "device", None),  # the simulated device, its sample generator and database
    "samples": (3, "logic", "program"),  # varden_samples: its listing, its own window on top
    "shell": (4, "logic", "services"),  # shell rules; status line, connection, page sets
    "traffic": (5, "logic", "pages"),
    "analysis": (5, "logic", "pages"),
    "database": (6, "logic", "pages"),
    "app": (7, None, "composition"),  # main loop, layout: the only code that names every page
    "cli": (7, "logic", None),  # varden, the console tool on the plain code
}

SOURCE = re.compile(r"\.(h|cpp)$")
INCLUDE = re.compile(r'^\s*#\s*include\s+([<"])([^">]+)[">]', re.MULTILINE)


def read_units(root):
    """Unit name ("database/table_editor") -> (local includes as unit names, includes Qt)."""
    units = {}
    for folder in FOLDERS:
        top = os.path.join(root, folder)
        for here, _, names in os.walk(top):
            for name in sorted(names):
                if not SOURCE.search(name):
                    continue
                path = os.path.join(here, name)
                unit = os.path.relpath(path, root)[: -len(name)] + SOURCE.sub("", name)
                with open(path, encoding="utf-8", errors="replace") as source:
                    text = source.read()
                local, qt = units.setdefault(unit, (set(), [False]))
                for kind, target in INCLUDE.findall(text):
                    if kind == '"' and os.path.exists(os.path.join(root, target)):
                        local.add(SOURCE.sub("", target))
                    elif kind == "<" and target.startswith("Q"):
                        qt[0] = True
    return {unit: (local - {unit}, qt[0]) for unit, (local, qt) in units.items()}


def window_side(units):
    window = {unit for unit, (_, qt) in units.items() if qt}
    changed = True
    while changed:
        changed = False
        for unit, (local, _) in units.items():
            if unit not in window and local & window:
                window.add(unit)
                changed = True
    return window


def room_of(unit, window):
    folder = unit.split("/")[0]
    _, plain, windowed = FOLDERS[folder]
    layer = windowed if unit in window else plain
    side = "window side" if unit in window else "plain code"
    return folder, side, layer


def folder_graph(units):
    """The folders in the shape of `units`: folder -> (the other folders its files include,)."""
    folders = {}
    for unit, (local, _) in units.items():
        targets = folders.setdefault(unit.split("/")[0], (set(), False))[0]
        targets.update(target.split("/")[0] for target in local & units.keys())
    return {folder: (targets - {folder}, False) for folder, (targets, _) in folders.items()}


def loops(units):
    """The strongly connected groups of more than one unit (Tarjan, iterative)."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []
    counter = 0
    for start in sorted(units):
        if start in index:
            continue
        work = [(start, iter(sorted(units[start][0] & units.keys())))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            unit, edges = work[-1]
            advanced = False
            for target in edges:
                if target not in index:
                    index[target] = low[target] = counter
                    counter += 1
                    stack.append(target)
                    on_stack.add(target)
                    work.append((target, iter(sorted(units[target][0] & units.keys()))))
                    advanced = True
                    break
                if target in on_stack:
                    low[unit] = min(low[unit], index[target])
            if advanced:
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[unit])
            if low[unit] == index[unit]:
                group = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    group.append(member)
                    if member == unit:
                        break
                if len(group) > 1:
                    found.append(sorted(group))
    return found


def faults(root):
    units = read_units(root)
    window = window_side(units)
    found = []
    for group in loops(units):
        found.append("include loop between files: " + ", ".join(group))
    for group in loops(folder_graph(units)):
        found.append("include loop between folders: " + ", ".join(group))
    for unit in sorted(units):
        folder, side, layer = room_of(unit, window)
        if layer is None:
            found.append(f"{unit}: no {side} belongs in {folder}/")
            continue
        for target in sorted(units[unit][0] & units.keys()):
            target_folder, target_side, target_layer = room_of(target, window)
            if target_layer is None:
                continue  # reported for the target itself
            if target_folder != folder and FOLDERS[target_folder][0] >= FOLDERS[folder][0]:
                found.append(
                    f"{unit} ({folder}/, tier {FOLDERS[folder][0]}) includes {target} "
                    f"({target_folder}/, tier {FOLDERS[target_folder][0]})"
                )
                continue
            own_room = (folder, side) == (target_folder, target_side)
            if not own_room and target_layer not in MAY_INCLUDE[layer]:
                found.append(
                    f"{unit} ({folder}/ {side}, {layer}) includes {target} "
                    f"({target_folder}/ {target_side}, {target_layer})"
                )
    return found


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    found = faults(os.path.abspath(root))
    for fault in found:
        print(fault)
    if found:
        return 1
    print("layers: no include loop between files or folders, every include goes down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
