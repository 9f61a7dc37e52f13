#!/usr/bin/env python3
"""Checks the include graph of the source tree against the layers of docs/architecture.md.

The table under "## Layers" names each layer's folder in its first column and, in its
"uses" column, the folders it may include from (in backticks, beside the outside
libraries). A layer may include its own headers and those of every layer it uses,
directly or through another. Each layer may use only layers listed above it, so the
table itself is the order. A folder's internal headers sit in a `detail/` folder inside it
and may be included only by the files under that folder. Exits 1 naming every include
that breaks the order or reaches into another folder's internal headers.

    layer_includes.py --root <source tree>
"""

import argparse
import re
import sys
from pathlib import Path

FOLDER = re.compile(r"`([a-z/]+)/`")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def read_layers(architecture):
    """The layers in table order, each with the folders its "uses" column names."""
    layers = {}
    in_section = False
    for line in architecture.read_text(encoding="utf-8").splitlines():
        if line.startswith("## "):
            in_section = line.strip() == "## Layers"
            continue
        if not in_section or not line.startswith("|"):
            continue
        cells = [cell.strip() for cell in line.strip("|").split("|")]
        folder = FOLDER.fullmatch(cells[0])
        if folder is None or len(cells) < 3:
            continue  # the header and the rule under it
        layers[folder.group(1)] = FOLDER.findall(cells[2])
    return layers


def order_faults(layers):
    """Uses of a layer that is not listed above the user (or not listed at all)."""
    faults = []
    seen = set()
    for layer, uses in layers.items():
        for used in uses:
            if used not in seen:
                faults.append(f"docs: {layer}/ uses {used}/, which is not a layer listed above it")
        seen.add(layer)
    return faults


def reachable(layers):
    """For each layer, every layer it may include from: itself and what it uses, transitively."""
    closure = {}
    for layer, uses in layers.items():  # table order: what a layer uses is already closed
        allowed = {layer}
        for used in uses:
            allowed |= closure.get(used, {used})
        closure[layer] = allowed
    return closure


def layer_of(path, layers):
    """The deepest layer whose folder holds the path, or None outside every layer."""
    owners = [layer for layer in layers if path == layer or path.startswith(layer + "/")]
    return max(owners, key=len) if owners else None


def internal_owner(include):
    """The folder whose internal header the include names (the part before `detail/`), or None."""
    parts = Path(include).parts
    return "/".join(parts[: parts.index("detail")]) if "detail" in parts else None


def sources_of(root, layer, layers):
    """The headers and sources of a layer, in its detail/ folders too, but not in a layer within it."""
    for source in sorted((root / layer).rglob("*")):
        if source.suffix in (".h", ".cpp") and layer_of(str(source.parent.relative_to(root)), layers) == layer:
            yield source


def include_faults(root, layers):
    allowed = reachable(layers)
    faults = []
    for layer in layers:
        for source in sources_of(root, layer, layers):
            where = source.relative_to(root)
            for number, line in enumerate(source.read_text(encoding="utf-8").splitlines(), 1):
                match = INCLUDE.match(line)
                if match is None:
                    continue
                include = match.group(1)
                target = layer_of(str(Path(include).parent), layers)
                owner = internal_owner(include)
                if target is not None and target not in allowed[layer]:
                    faults.append(f"{where}:{number}: {layer}/ includes {include} from {target}/")
                elif owner is not None and not str(where).startswith(owner + "/"):
                    faults.append(f"{where}:{number}: {layer}/ includes {include}, internal to {owner}/")
    return faults


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", type=Path, required=True)
    root = parser.parse_args().root
    layers = read_layers(root / "docs" / "architecture.md")
    if not layers:
        print("docs/architecture.md: no table of layers under \"## Layers\"", file=sys.stderr)
        return 1
    faults = order_faults(layers) + include_faults(root, layers)
    for fault in faults:
        print(fault, file=sys.stderr)
    if not faults:
        print(f"{len(layers)} layers, every include follows their order")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
