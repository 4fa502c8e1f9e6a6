#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks the folder graph of the shipped code against cmake/layers.txt.

  check_layers.py ROOT             every project include of a shipped folder is an allowed edge
  check_layers.py ROOT --readme    the README's layout table agrees with the layers file
  check_layers.py ROOT --planted   the check fails on a copy of the tree with one upward include
"""
import pathlib
import re
import shutil
import sys
import tempfile

LAYERS_FILE = "cmake/layers.txt"
SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".c"}
# Where the build looks for a quoted include besides the including file's folder.
INCLUDE_ROOTS = (".", "tests")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def read_layers(root):
    layers = {}
    for number, line in enumerate((root / LAYERS_FILE).read_text().splitlines(), 1):
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        folder, sep, allowed = line.partition(":")
        if not sep or not folder.strip():
            sys.exit(f"{LAYERS_FILE}:{number}: expected 'folder: folders it may include'")
        layers[folder.strip()] = set(allowed.split())
    return layers


def table_errors(layers):
    errors = [f"{LAYERS_FILE}: {folder} may include {target}, which has no row"
              for folder, allowed in layers.items() for target in sorted(allowed - layers.keys())]
    # A cycle in the table would make "lower" meaningless.
    state = {}

    def visit(folder, path):
        if state.get(folder) == "done":
            return
        if state.get(folder) == "open":
            errors.append(f"{LAYERS_FILE}: cycle " + " -> ".join(path[path.index(folder):] + [folder]))
            return
        state[folder] = "open"
        for target in sorted(layers.get(folder, ())):
            visit(target, path + [folder])
        state[folder] = "done"

    for folder in sorted(layers):
        visit(folder, [])
    return errors


def layer_of(folder, layers):
    """The row a folder belongs to: its own, or the nearest one above it."""
    parts = folder.split("/")
    for end in range(len(parts), 0, -1):
        name = "/".join(parts[:end])
        if name in layers:
            return name
    return None


def checked_folders(layers):
    """The rows that no other row contains: walking them reaches every checked file once."""
    return sorted(f for f in layers if "/" not in f or layer_of(f.rsplit("/", 1)[0], layers) is None)


def include_errors(root, layers):
    errors = []
    for top in checked_folders(layers):
        for source in sorted((root / top).rglob("*")):
            if source.suffix not in SOURCE_SUFFIXES or not source.is_file():
                continue
            here = source.parent.relative_to(root).as_posix()
            layer = layer_of(here, layers)
            lines = source.read_text(errors="replace").splitlines()
            for number, line in enumerate(lines, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                name = match.group(1)
                for base in [source.parent] + [root / r for r in INCLUDE_ROOTS]:
                    target = (base / name).resolve()
                    if target.is_file():
                        break
                else:
                    continue  # made at build time, such as the version header
                try:
                    folder = target.parent.relative_to(root.resolve()).as_posix()
                except ValueError:
                    folder = str(target.parent)
                target_layer = layer_of(folder, layers)
                if target_layer == layer or target_layer in layers[layer]:
                    continue
                errors.append(f"{source.relative_to(root)}:{number}: includes \"{name}\": "
                              f"{layer}/ may not include {folder}/")
    return errors


def readme_rows(root):
    """The layout table's rows: the folders of the first cell and the 'May include' cell."""
    text = (root / "README.md").read_text()
    section = text.split("## Layout of the source", 1)[1].split("\n## ", 1)[0]
    rows = [line for line in section.splitlines() if line.startswith("|")]
    header = [cell.strip() for cell in rows[0].strip("|").split("|")]
    column = header.index("May include")
    result = []
    for row in rows[2:]:
        cells = [cell.strip() for cell in row.strip("|").split("|")]
        folders = [f.rstrip("/") for f in re.findall(r"`([^`]+/)`", cells[0])]
        allowed = {f.rstrip("/") for f in re.findall(r"`([^`]+/)`", cells[column])}
        result.append((folders, allowed, cells[column]))
    return result


def readme_errors(root, layers):
    errors = []
    named = set()
    for folders, allowed, cell in readme_rows(root):
        for folder in folders:
            named.add(folder)
            if not (root / folder).is_dir():
                errors.append(f"README.md: {folder}/ is not in the tree")
            if folder in layers and allowed != layers[folder]:
                errors.append(f"README.md: {folder}/ may include {cell or 'nothing'}; "
                              f"{LAYERS_FILE} says {' '.join(sorted(layers[folder])) or 'nothing'}")
            if folder not in layers and cell != "not checked":
                errors.append(f"README.md: {folder}/ has no row in {LAYERS_FILE}, "
                              "so its 'May include' reads: not checked")
    errors += [f"README.md: no row for {folder}/" for folder in sorted(layers.keys() - named)]
    tops = {p.name for p in root.iterdir()
            if p.is_dir() and not p.name.startswith(".") and not p.name.startswith("build")}
    errors += [f"README.md: the folder {folder}/ is missing from the layout table"
               for folder in sorted(tops - named)]
    return errors


def planted_errors(root, layers):
    """Copies the shipped folders, proves the copy passes, then plants one upward include."""
    with tempfile.TemporaryDirectory() as scratch:
        copy = pathlib.Path(scratch)
        (copy / "cmake").mkdir()
        shutil.copy(root / LAYERS_FILE, copy / LAYERS_FILE)
        for top in checked_folders(layers):
            shutil.copytree(root / top, copy / top)
        if include_errors(copy, layers):
            return ["the unplanted copy already fails the check"]
        victim = copy / "text" / "Text.cpp"
        victim.write_text(victim.read_text() + '#include "app/TForm1.h"\n')
        found = include_errors(copy, layers)
        if len(found) != 1 or not found[0].startswith("text/Text.cpp:"):
            return ["the planted include of app/ from text/ was not the one error found: "
                    + repr(found)]
    return []


def main():
    if len(sys.argv) == 2 and sys.argv[1] in ("-h", "--help"):
        print(__doc__)
        return 0
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    root = pathlib.Path(sys.argv[1])
    mode = sys.argv[2] if len(sys.argv) == 3 else ""
    layers = read_layers(root)
    errors = table_errors(layers)
    if mode == "":
        errors += include_errors(root, layers)
    elif mode == "--readme":
        errors += readme_errors(root, layers)
    elif mode == "--planted":
        errors += planted_errors(root, layers)
    else:
        sys.exit(__doc__)
    for error in errors:
        print(error, file=sys.stderr)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
