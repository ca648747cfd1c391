#!/usr/bin/env python3
"""Each folder of the program includes only itself and the folders below it:

    form/, resources/  <-  reveal/, burst/  <-  export/, present/  <-  cli/  <-  app/

Prints every include that points up or sideways, and fails if there is one."""
import pathlib
import re
import sys

LAYERS = {"form": 0, "resources": 0, "reveal": 1, "burst": 1, "export": 2, "present": 2, "cli": 3, "app": 4}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^/"]+)/', re.MULTILINE)

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
wrong = []
for folder, layer in LAYERS.items():
    for path in sorted((root / folder).glob("*.[ch]*")):
        for included in INCLUDE.findall(path.read_text(encoding="utf-8")):
            if included == folder or included not in LAYERS:
                continue
            if LAYERS[included] >= layer:
                wrong.append(f"{path.relative_to(root)} includes {included}/")
print("\n".join(wrong) or f"every include of {', '.join(LAYERS)} points down")
sys.exit(1 if wrong else 0)
