#!/usr/bin/env python3
"""Checks the layout of the product code (everything outside NOT_PRODUCT).

A unit is a source file together with the header of the same name in the
same folder (gif/gif_file.cpp and gif/gif_file.h are one unit). The check
fails, printing what it found, when

  - units include each other in a circle (a .cpp including its own .h is no
    circle);
  - a file includes one in a higher room (ROOMS below), or one outside the
    product code other than third_party/;
  - a product folder is in no room;
  - with --objects BUILD_DIR: units of the objects compiled there call each
    other in a circle. Unit A calls unit B when A's object file uses a
    symbol that B's object defines (nm: undefined in A, a strong global
    definition in B). Inline functions, templates and calls through function
    pointers or virtual functions do not show up this way: the call check is
    a cheap second look, not a proof.

Usage: tools/check_layout.py [--objects BUILD_DIR] [--list] [ROOT]
--list prints the include edges between units. Exit status 0 when all
holds, 1 when something does not, 2 on bad usage.
"""

import argparse
import os
import re
import subprocess
import sys

# The rooms, highest first. A file may include files of its own room and of
# the rooms below it, never of a room above. A room is a list of top-level
# folders; gif/encoder is part of gif/. Add a new top-level folder of
# product code here.
ROOMS = [
    ("programs", ["gif2frm", "frm2gif", "web"]),
    ("command line", ["cli"]),
    ("formats", ["color", "frm", "gif", "png"]),
    ("platform", ["platform"]),
]

# Top-level folders that are not product code. Product code may include
# third_party/ but none of the others.
NOT_PRODUCT = ["tests", "fuzz", "bench", "tools", "third_party", "build"]
INCLUDABLE_OUTSIDE = ["third_party"]

SOURCE_SUFFIXES = (".c", ".cc", ".cpp", ".cxx", ".h", ".hh", ".hpp", ".inc")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def top_folder(path):
    return path.split("/", 1)[0] if "/" in path else ""


def is_product(path):
    top = top_folder(path)
    return top != "" and top not in NOT_PRODUCT and not top.startswith(".")


def unit_of(path):
    return os.path.splitext(path)[0]


def room_index():
    rooms = {}
    for index, (_, folders) in enumerate(ROOMS):
        for folder in folders:
            rooms[folder] = index
    return rooms


def source_files(root):
    """Every source file under root, as a path relative to it with '/'."""
    try:
        listed = subprocess.run(
            ["git", "-C", root, "ls-files", "--cached", "--others",
             "--exclude-standard"],
            check=True, capture_output=True, text=True).stdout.splitlines()
    except (OSError, subprocess.CalledProcessError):
        listed = []
        for folder, dirs, files in os.walk(root):
            dirs[:] = [d for d in dirs
                       if not d.startswith(".") and not d.startswith("build")]
            for name in files:
                full = os.path.join(folder, name)
                listed.append(os.path.relpath(full, root).replace(os.sep, "/"))
    return sorted(path for path in listed
                  if path.endswith(SOURCE_SUFFIXES)
                  and os.path.isfile(os.path.join(root, path)))


def resolve(root, including, name, known):
    """The file an #include "name" in including means, or None."""
    beside = os.path.normpath(
        os.path.join(os.path.dirname(including), name)).replace(os.sep, "/")
    for candidate in (beside, os.path.normpath(name).replace(os.sep, "/")):
        if candidate in known:
            return candidate
    return None


def include_edges(root, files):
    """(including file, included file) for every quoted include that names a
    file of the tree."""
    known = set(files)
    edges = []
    for path in files:
        if not is_product(path):
            continue
        with open(os.path.join(root, path), encoding="utf-8",
                  errors="replace") as source:
            text = source.read()
        for name in INCLUDE.findall(text):
            target = resolve(root, path, name, known)
            if target is not None:
                edges.append((path, target))
    return edges


def find_cycles(graph):
    """One circle of nodes per strongly connected component of more than one
    node (Tarjan's algorithm, without recursion)."""
    index = {}
    low = {}
    on_stack = set()
    stack = []
    components = []
    counter = 0
    for start in sorted(graph):
        if start in index:
            continue
        work = [(start, iter(sorted(graph.get(start, ()))))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, successors = work[-1]
            advanced = False
            for successor in successors:
                if successor not in index:
                    index[successor] = low[successor] = counter
                    counter += 1
                    stack.append(successor)
                    on_stack.add(successor)
                    work.append(
                        (successor, iter(sorted(graph.get(successor, ())))))
                    advanced = True
                    break
                if successor in on_stack:
                    low[node] = min(low[node], index[successor])
            if advanced:
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                if len(component) > 1:
                    components.append(set(component))
    return [circle_in(graph, component) for component in components]


def circle_in(graph, component):
    """A path through the component that returns to where it started."""
    first = min(component)
    # Breadth-first from first's successors back to first, inside the
    # component: the shortest circle through first.
    previous = {}
    frontier = [first]
    while frontier:
        following = []
        for node in frontier:
            for successor in sorted(graph.get(node, ())):
                if successor not in component or successor in previous:
                    continue
                previous[successor] = node
                if successor == first:
                    path = [first]
                    node_back = previous[first]
                    while node_back != first:
                        path.append(node_back)
                        node_back = previous[node_back]
                    path.append(first)
                    return list(reversed(path))
                following.append(successor)
        frontier = following
    return sorted(component)


def unit_graph(edges):
    graph = {}
    for source, target in edges:
        a, b = unit_of(source), unit_of(target)
        if a != b:
            graph.setdefault(a, set()).add(b)
    return graph


def check_includes(root, files, show):
    problems = []
    rooms = room_index()
    for path in files:
        top = top_folder(path)
        if is_product(path) and top not in rooms:
            problems.append(f"{path}: folder {top}/ is in no room "
                            "(add it to ROOMS in tools/check_layout.py)")
    edges = include_edges(root, files)
    product_edges = []
    for source, target in edges:
        if not is_product(target):
            if top_folder(target) not in INCLUDABLE_OUTSIDE:
                problems.append(f"{source} includes {target}, which is not "
                                "product code")
            continue
        product_edges.append((source, target))
        above = rooms.get(top_folder(target))
        below = rooms.get(top_folder(source))
        if above is not None and below is not None and above < below:
            problems.append(
                f"{source} includes {target}: room {ROOMS[below][0]} "
                f"({top_folder(source)}/) may not include room "
                f"{ROOMS[above][0]} ({top_folder(target)}/) above it")
    graph = unit_graph(product_edges)
    if show:
        for unit in sorted(graph):
            for target in sorted(graph[unit]):
                print(f"{unit} -> {target}")
    for circle in find_cycles(graph):
        problems.append("units include each other in a circle: " +
                        " -> ".join(circle))
    return problems


def object_files(build_dir, root):
    """(object file, its source relative to root) for every object compiled
    from product code under build_dir. CMake names an object after its source:
    CMakeFiles/TARGET.dir/FOLDER/NAME.cpp.o."""
    found = []
    for folder, dirs, files in os.walk(build_dir):
        for name in files:
            if not name.endswith((".o", ".obj")):
                continue
            full = os.path.join(folder, name)
            relative = os.path.relpath(full, build_dir).replace(os.sep, "/")
            match = re.search(r"CMakeFiles/[^/]+\.dir/(.+)\.(o|obj)$",
                              relative)
            if not match:
                continue
            # The target's folder in the build tree mirrors the source tree.
            prefix = relative[:match.start()].rstrip("/")
            source = "/".join(part for part in (prefix, match.group(1))
                              if part)
            if (is_product(source)
                    and os.path.isfile(os.path.join(root, source))):
                found.append((full, source))
    return sorted(found)


def symbols(object_file):
    """(strong global definitions, undefined symbols) of an object file."""
    output = subprocess.run(["nm", "-P", object_file], check=True,
                            capture_output=True, text=True).stdout
    defined, used = set(), set()
    for line in output.splitlines():
        parts = line.split()
        if len(parts) < 2:
            continue
        name, kind = parts[0], parts[1]
        if kind == "U":
            used.add(name)
        elif kind in "TDBRGS":
            defined.add(name)
    return defined, used


def check_calls(build_dir, root):
    objects = object_files(build_dir, root)
    if not objects:
        return [f"{build_dir}: no objects of the product code found"], 0
    definers = {}
    uses = {}
    for object_file, source in objects:
        defined, used = symbols(object_file)
        unit = unit_of(source)
        for name in defined:
            definers.setdefault(name, set()).add(unit)
        uses.setdefault(unit, set()).update(used)
    graph = {}
    for unit, used in uses.items():
        for name in used:
            for definer in definers.get(name, ()):
                if definer != unit:
                    graph.setdefault(unit, set()).add(definer)
    problems = ["units call each other in a circle: " + " -> ".join(circle)
                for circle in find_cycles(graph)]
    return problems, len(objects)


def main():
    parser = argparse.ArgumentParser(
        description="Checks includes and rooms of the product code.")
    parser.add_argument("root", nargs="?",
                        default=os.path.join(os.path.dirname(__file__), ".."))
    parser.add_argument("--objects", metavar="BUILD_DIR",
                        help="also look for call circles in the objects "
                        "compiled in this build tree")
    parser.add_argument("--list", action="store_true",
                        help="print the include edges between units")
    options = parser.parse_args()
    root = os.path.abspath(options.root)

    files = source_files(root)
    problems = check_includes(root, files, options.list)
    product = [path for path in files if is_product(path)]
    summary = f"{len(product)} product files in {len(set(map(unit_of, product)))} units"
    if options.objects:
        call_problems, count = check_calls(options.objects, root)
        problems += call_problems
        summary += f", {count} objects"
    for problem in problems:
        print(problem)
    if problems:
        print(f"layout: {len(problems)} problem(s) ({summary})")
        return 1
    print(f"layout: no include or call circle, rooms in order ({summary})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
