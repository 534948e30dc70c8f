#!/usr/bin/python3
"""Every board of Debian's kicad-demos is read by --list-board, and the
footprints it lists are the ones the file holds: counted here with a reader
of our own (a tokenizer and a paren counter), not with the program's parser.

Usage: kicad_demos_test.py PROGRAM [DEMOS_DIR]"""
import glob
import os
import re
import subprocess
import sys

program = sys.argv[1]
demos = sys.argv[2] if len(sys.argv) > 2 else "/usr/share/kicad/demos"
TOKEN = re.compile(r'"(?:[^"\\]|\\.)*"|\(|\)|[^\s()"]+', re.S)


def unquote(token):
    return re.sub(r'\\(.)', r'\1', token[1:-1]) if token.startswith('"') else token


def footprints(text):
    """(reference, library ID) of each footprint or module directly in the board."""
    found, depth, current, last = [], 0, None, None
    tokens = TOKEN.findall(text)
    for i, token in enumerate(tokens):
        if token == "(":
            depth += 1
        elif token == ")":
            if current is not None and depth == current["depth"]:
                found.append((current["reference"], current["lib_id"]))
                current = None
            depth -= 1
        elif last == "(" and depth == 2 and token in ("footprint", "module"):
            current = {"depth": depth, "lib_id": unquote(tokens[i + 1]), "reference": None}
        elif current is not None and last == "(" and token == "fp_text" and tokens[i + 1] == "reference":
            current["reference"] = unquote(tokens[i + 2])
        elif current is not None and last == "(" and token == "property" and unquote(tokens[i + 1]) == "Reference":
            current["reference"] = unquote(tokens[i + 2])
        last = token
    return found


boards = sorted(glob.glob(os.path.join(demos, "**", "*.kicad_pcb"), recursive=True))
failures = []
if len(boards) < 10:
    failures.append(f"expected Debian's kicad-demos boards in {demos}, found {len(boards)}")
for path in boards:
    with open(path, encoding="utf-8", errors="replace") as f:
        expected = footprints(f.read())
    run = subprocess.run([program, "--list-board", path], capture_output=True, text=True, timeout=60)
    if run.returncode != 0:
        failures.append(f"{path}: status {run.returncode}: {run.stderr.strip()}")
        continue
    lines = run.stdout.splitlines()
    if f"{len(expected)} footprints" not in lines[0]:
        failures.append(f"{path}: the file holds {len(expected)} footprints; listed: {lines[0]}")
    listed = [line.split("  ")[:2] for line in lines[1:] if not line.startswith("Drill/place origin")]
    if [tuple(item) for item in listed] != expected:
        failures.append(f"{path}: references or library IDs differ from the file's")
for failure in failures:
    print(failure)
print(f"{len(boards)} demo boards checked, {len(failures)} problems")
sys.exit(1 if failures else 0)
