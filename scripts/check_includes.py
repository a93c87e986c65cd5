#!/usr/bin/env python3
"""Fails when a target includes a header of a library it does not link.

A target gets the headers of the libraries it links and of those these link
publicly, as CMake hands on include folders; the links are CMake's own (cmake
--graphviz). A header belongs to the library whose folder holds it: the folder
each platform library exports (<build>/platform/include/<folder>/, library
pellucor_<folder>) or the folder of a target's sources (compile_commands.json).
Every quoted include of every source and header is resolved against those
folders; a file may always use the headers beside it.

usage: scripts/check_includes.py [BUILD_DIR]   (default: build-includes)
"""
import json
import os
import re
import subprocess
import sys
from collections import defaultdict

ROOT = os.path.realpath(os.path.join(os.path.dirname(__file__), ".."))
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
NODE = re.compile(r'^\s*"(node\d+)"\s*\[\s*label\s*=\s*"([^"]+)"', re.M)
EDGE = re.compile(r'^\s*"(node\d+)"\s*->\s*"(node\d+)"\s*(\[ style = dotted \])?', re.M)


def links(build):
    """Each target and the libraries whose headers it may use: those it links,
    and those these link publicly, as CMake hands on include folders."""
    dot = os.path.join(build, "links", "links.dot")
    os.makedirs(os.path.dirname(dot), exist_ok=True)
    subprocess.run(["cmake", "-S", ROOT, "-B", build, "-G", "Ninja", "--graphviz=" + dot],
                   check=True, stdout=subprocess.DEVNULL)
    text = open(dot, encoding="utf-8").read()
    names = dict(NODE.findall(text))
    direct, public = defaultdict(set), defaultdict(set)
    for a, b, private in EDGE.findall(text):
        direct[names[a]].add(names[b])
        if not private:
            public[names[a]].add(names[b])
    closed = {}
    for target in names.values():
        seen = {target} | direct[target]
        todo = list(direct[target])
        while todo:
            for dep in public[todo.pop()] - seen:
                seen.add(dep)
                todo.append(dep)
        closed[target] = seen
    return closed


def owners(build, closed):
    """Folder -> the targets it belongs to, and source file -> its target."""
    folders, sources = defaultdict(set), {}
    exported = os.path.join(build, "platform", "include")
    for folder in os.listdir(exported) if os.path.isdir(exported) else []:
        if "pellucor_" + folder not in closed:
            sys.exit(f"check_includes: no library pellucor_{folder} exports {folder}/")
        folders[os.path.realpath(os.path.join(exported, folder, folder))].add("pellucor_" + folder)
    exported_folders, built = set(folders), os.path.realpath(build)
    for entry in json.load(open(os.path.join(build, "compile_commands.json"))):
        path = os.path.realpath(os.path.join(entry["directory"], entry["file"]))
        made = re.search(r"CMakeFiles/([^/]+)\.dir/", entry.get("output", entry["command"]))
        if not made or not path.startswith(ROOT + os.sep) or path.startswith(built + os.sep):
            continue
        sources[path] = made.group(1)
        if os.path.dirname(path) not in exported_folders:
            folders[os.path.dirname(path)].add(made.group(1))
    return folders, sources


def owners_of(name, here, folders):
    """The owners of each file an include may name; none when it lies beside
    the including file, since a file may use the headers of its own folder."""
    beside = os.path.join(here, name)
    if os.path.isfile(beside):
        folder = os.path.dirname(os.path.realpath(beside))
        return [] if folder == here else [folders.get(folder, set())]
    found = []
    for folder, targets in folders.items():
        for root in (folder, os.path.dirname(folder)):
            path = os.path.join(root, name)
            if os.path.isfile(path) and os.path.dirname(os.path.realpath(path)) == folder:
                found.append(targets)
    return found


def check(build):
    closed = links(build)
    folders, sources = owners(build, closed)
    files = {path: {target} for path, target in sources.items()}
    for folder, targets in folders.items():
        for entry in sorted(os.listdir(folder)):
            if entry.endswith(".h"):
                files.setdefault(os.path.join(folder, entry), targets)
    problems, includes = [], 0
    for path, mine in sorted(files.items()):
        allowed = set().union(*(closed.get(target, {target}) for target in mine))
        for name in INCLUDE.findall(open(path, encoding="utf-8", errors="replace").read()):
            includes += 1
            found = owners_of(name, os.path.dirname(path), folders)
            if found and not any(owner & allowed or not owner for owner in found):
                problems.append(f"  {os.path.relpath(path, ROOT)}: \"{name}\" belongs to "
                                f"{', '.join(sorted(set().union(*found)))}, which "
                                f"{', '.join(sorted(mine))} does not link")
    if problems:
        print("check_includes: headers of libraries not linked:", *problems, sep="\n",
              file=sys.stderr)
        return 1
    print(f"check_includes: {includes} includes of {len(files)} files, each of a linked library")
    return 0


if __name__ == "__main__":
    sys.exit(check(os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                                   os.path.join(ROOT, "build-includes"))))
