#!/usr/bin/python3
"""The shipped parts library, its schema, the project schema and the program
must agree: the library passes its schema and names a source for every part,
the project schema offers exactly the shipped names (and accepts others), and
a broken library is refused by the schema and by the program alike.

Usage: parts_schema_test.py PARTS_SCHEMA PARTS_JSON PROJECT_SCHEMA PROGRAM PARTS_DOC
The parts table of docs/parts.md must list every shipped part.
Runs with Debian's python3-jsonschema (draft 2020-12)."""
import json
import os
import subprocess
import sys
import tempfile

import jsonschema

parts_schema_path, parts_path, project_schema_path, program, readme_path = sys.argv[1:6]
failures = []


def load(path):
    with open(path, encoding="utf-8") as f:
        return json.load(f)


parts_schema = load(parts_schema_path)
jsonschema.Draft202012Validator.check_schema(parts_schema)
parts_validator = jsonschema.Draft202012Validator(parts_schema)
library = load(parts_path)
for error in parts_validator.iter_errors(library):
    failures.append(f"shipped library fails its schema at {list(error.path)}: {error.message}")
parts = library.get("parts", {})
if len(parts) < 20:
    failures.append(f"only {len(parts)} parts shipped")
for name, part in parts.items():
    if not str(part.get("source", "")).strip():
        failures.append(f"part '{name}' names no source")

with open(readme_path, encoding="utf-8") as f:
    readme = f.read()
for name in parts:
    if f"| `{name}` |" not in readme:
        failures.append(f"docs/parts.md's parts table lacks '{name}'")

# The project schema completes exactly the shipped names and accepts others.
project_schema = load(project_schema_path)
part_key = project_schema["$defs"]["component_fields"]["properties"]["part"]
offered = next(choice["enum"] for choice in part_key["anyOf"] if "enum" in choice)
if sorted(offered) != sorted(parts):
    failures.append(f"project schema offers {sorted(set(offered) ^ set(parts))} differently from the library")
project_validator = jsonschema.Draft202012Validator(project_schema)
for name in ["din5-midi", "my-own-part"]:
    project = {"Generic": {"width": 20, "height": 10},
               "box_Main": {"c": {"location_x": 5, "location_y": 5, "part": name}}}
    if not project_validator.is_valid(project):
        failures.append(f"project schema refuses part '{name}'")
if project_validator.is_valid({"Generic": {"width": 20, "height": 10},
                               "box_Main": {"c": {"location_x": 5, "location_y": 5, "part": 3}}}):
    failures.append("project schema accepts a part that is no text")

# Libraries the program refuses (exit 2); the schema must refuse them too,
# and the good one must pass both.
PART = '"description": "d", "source": "s"'
good = {"smallest part": '{"parts": {"a": {%s, "drill_diameter": 5}}}' % PART,
        "holes of both kinds": '{"$schema": "x", "parts": {"a": {%s, "drill_width": 5, "drill_height": 3,'
                               ' "holes": [{"x": 1, "y": 2, "diameter": 2}, {"x": 0, "y": -4, "width": 1,'
                               ' "height": 2}]}}}' % PART}
bad = {"no source": '{"parts": {"a": {"description": "d", "drill_diameter": 5}}}',
       "no cut-out": '{"parts": {"a": {%s}}}' % PART,
       "half a rectangle": '{"parts": {"a": {%s, "drill_width": 5}}}' % PART,
       "zero drill": '{"parts": {"a": {%s, "drill_diameter": 0}}}' % PART,
       "hole of both kinds": '{"parts": {"a": {%s, "drill_diameter": 5, "holes": [{"x": 1, "y": 2,'
                             ' "diameter": 2, "width": 1}]}}}' % PART,
       "hole without y": '{"parts": {"a": {%s, "drill_diameter": 5, "holes": [{"x": 1, "diameter": 2}]}}}' % PART,
       "unknown key": '{"parts": {"a": {%s, "drill_diameter": 5, "colour": "red"}}}' % PART,
       "visible width alone": '{"parts": {"a": {%s, "drill_diameter": 5, "visible_width": 5}}}' % PART,
       "size in metres": '{"parts": {"a": {%s, "drill_diameter": 5000}}}' % PART,
       "no parts": '{}'}


def program_status(text):
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "mine.json")
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        return subprocess.run([program, "--list-parts", "--parts", path], capture_output=True, text=True,
                              timeout=60).returncode


for name, text in good.items():
    if not parts_validator.is_valid(json.loads(text)):
        failures.append(f"schema refuses good library '{name}'")
    if program_status(text) != 0:
        failures.append(f"program refuses good library '{name}'")
for name, text in bad.items():
    if parts_validator.is_valid(json.loads(text)):
        failures.append(f"schema accepts broken library '{name}'")
    if program_status(text) != 2:
        failures.append(f"program accepts broken library '{name}'")

for failure in failures:
    print(failure)
print(f"{len(parts)} shipped parts, {len(good)} good and {len(bad)} broken libraries checked, "
      f"{len(failures)} problems")
sys.exit(1 if failures else 0)
