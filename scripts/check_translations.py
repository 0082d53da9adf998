#!/usr/bin/env python3
"""Fails when a localisation key used in the code is missing, or untranslated, in a .ts file."""
import pathlib
import re
import sys
import xml.etree.ElementTree as ET

root = pathlib.Path(__file__).resolve().parent.parent
pattern = re.compile(r'(?:qtTrId|QT_TRID_NOOP)\(\s*"([A-Za-z0-9_.\-]+)"')

used = {}
for path in sorted((root / "src").rglob("*")):
    if path.suffix in {".cpp", ".h"}:
        for key in pattern.findall(path.read_text(encoding="utf-8")):
            used.setdefault(key, path.relative_to(root))

problems = []
for ts in ("ovelin_en.ts", "ovelin_pt_BR.ts"):
    tree = ET.parse(root / "translations" / ts)
    translated = {}
    for message in tree.iter("message"):
        text = message.findtext("translation") or ""
        translated[message.get("id")] = text.strip()
    for key, where in sorted(used.items()):
        if key not in translated:
            problems.append(f"{ts}: missing \"{key}\" (used in {where})")
        elif not translated[key]:
            problems.append(f"{ts}: \"{key}\" has no translation")

for problem in problems:
    print(problem)
print(f"{len(used)} localisation keys checked in 2 files: {len(problems)} problems")
sys.exit(1 if problems else 0)
