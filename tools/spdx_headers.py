#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Puts the licence line at the top of every source file of the project.

  spdx_headers.py ROOT            adds the line where it is missing (a second run changes nothing)
  spdx_headers.py ROOT --check    lists the files without it and fails if there are any
  spdx_headers.py ROOT --planted  the check fails on a scratch file without the line, and adding
                                  the line twice gives the same file

The files are the ones git tracks (every file under ROOT when it is no checkout): C and C++
sources, CMake files, shell and Python scripts, and any other file whose first line runs sh,
bash, python or make. A shebang stays the first line.
"""
import os
import re
import subprocess
import sys
import tempfile

TAG = "SPDX-License-Identifier: GPL-3.0-or-later"
# The line may sit below a shebang and a short comment block, never further down.
SEARCH_LINES = 5
SLASH_SUFFIXES = (".cpp", ".h", ".c", ".hpp", ".cc", ".h.in")
HASH_SUFFIXES = (".cmake", ".sh", ".py")
SHEBANG = re.compile(rb"^#!.*\b(sh|bash|python3?|make)\b")
SKIPPED_FOLDERS = (".git", "fuzz/corpus")


def tracked_files(root):
    try:
        out = subprocess.run(["git", "-C", root, "ls-files", "-z"], check=True,
                             capture_output=True).stdout
        return [name for name in out.decode().split("\0") if name]
    except (OSError, subprocess.CalledProcessError):
        files = []
        for folder, subfolders, names in os.walk(root):
            relative = os.path.relpath(folder, root)
            subfolders[:] = [s for s in subfolders if not s.startswith("build")
                             and os.path.normpath(os.path.join(relative, s)) not in SKIPPED_FOLDERS]
            files += [os.path.normpath(os.path.join(relative, name)) for name in names]
        return files


def comment_for(root, name):
    """The comment leader of a source file, or None for a file that is not one of ours."""
    if name.startswith(tuple(folder + "/" for folder in SKIPPED_FOLDERS)):
        return None
    base = os.path.basename(name)
    if base.endswith(SLASH_SUFFIXES):
        return b"// "
    if base == "CMakeLists.txt" or base.endswith(HASH_SUFFIXES):
        return b"# "
    if "." in base and not base.startswith("."):
        return None
    path = os.path.join(root, name)
    if not os.path.isfile(path):
        return None
    with open(path, "rb") as f:
        first = f.readline()
    return b"# " if SHEBANG.match(first) else None


def has_tag(text):
    return TAG.encode() in b"".join(text.splitlines(True)[:SEARCH_LINES])


def with_tag(text, leader):
    if has_tag(text):
        return text
    line = leader + TAG.encode() + b"\n"
    if text.startswith(b"#!"):
        end = text.find(b"\n") + 1 or len(text)
        head = text[:end] if text[:end].endswith(b"\n") else text[:end] + b"\n"
        return head + line + text[end:]
    return line + text


def sources(root):
    for name in sorted(tracked_files(root)):
        leader = comment_for(root, name)
        if leader is not None and os.path.isfile(os.path.join(root, name)):
            yield name, leader


def missing(root):
    result = []
    for name, _ in sources(root):
        with open(os.path.join(root, name), "rb") as f:
            if not has_tag(f.read()):
                result.append(name)
    return result


def add(root):
    changed = 0
    for name, leader in sources(root):
        path = os.path.join(root, name)
        with open(path, "rb") as f:
            text = f.read()
        tagged = with_tag(text, leader)
        if tagged != text:
            with open(path, "wb") as f:
                f.write(tagged)
            changed += 1
    return changed


def planted_errors():
    errors = []
    with tempfile.TemporaryDirectory() as scratch:
        files = {"a.cpp": b"#include <a>\n", "run": b"#!/bin/sh\necho\n", "b.py": b"x = 1\n",
                 "notes.txt": b"not a source\n"}
        for name, text in files.items():
            with open(os.path.join(scratch, name), "wb") as f:
                f.write(text)
        found = missing(scratch)
        if found != ["a.cpp", "b.py", "run"]:
            errors.append(f"the check found {found} untagged, not a.cpp, b.py and run")
        add(scratch)
        add(scratch)
        with open(os.path.join(scratch, "run"), "rb") as f:
            if f.read() != b"#!/bin/sh\n# " + TAG.encode() + b"\necho\n":
                errors.append("the line was not put once, below the shebang")
        if missing(scratch):
            errors.append("files still untagged after adding the line")
    return errors


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    root, mode = argv[1], (argv[2] if len(argv) > 2 else "")
    if mode == "--check":
        errors = [f"{name}: no '{TAG}' at the top" for name in missing(root)]
    elif mode == "--planted":
        errors = planted_errors()
    else:
        print(f"{add(root)} file(s) given the licence line")
        return 0
    for error in errors:
        print(error, file=sys.stderr)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
