#!/usr/bin/python3
"""The project schema and the program must agree: every project the program
draws passes the schema, and the broken ones are refused by both.

Usage: schema_test.py SCHEMA PROGRAM EXAMPLES_DIR [PROJECT_GENERATOR]
Runs with Debian's python3-jsonschema (draft 2020-12). The generator, when
given, is the benchmarks' project maker; a small project of it is checked too."""
import glob
import json
import os
import shutil
import subprocess
import sys
import tempfile

import jsonschema

schema_path, program, examples_dir = sys.argv[1:4]
with open(schema_path, encoding="utf-8") as f:
    schema = json.load(f)
jsonschema.Draft202012Validator.check_schema(schema)
validator = jsonschema.Draft202012Validator(schema)

BOX = '"Generic": {"width": 20, "height": 10}'
KNOB = '"location_x": 5, "location_y": 5'

# Projects the program draws (exit 0). The examples are added below.
good = {
    "every field": '{%s, "box_Main": {"pot1": {%s, "call_name": "Knob", "id": 0, "rotation": 90,'
                   ' "drill_diameter": 0.7, "drill_width": 1, "drill_height": 1, "visible_diameter": 1.2,'
                   ' "visible_width": 1.5, "visible_height": 1.5}}}' % (BOX, KNOB),
    "array, null and empty sections": '{%s, "box_Main": [{%s}], "box_Left": null, "box_Back": {}}' % (BOX, KNOB),
    "keys without underscore are not read": '{"$schema": "x.json", "Notes": 1, "Generic": {"width": 1,'
                                            ' "height": 2, "colour": "red"}}',
    "a screen needs no id": '{%s, "box_Main": {"button_screen": {%s, "call_name": "Screen"}}}' % (BOX, KNOB),
    "an unnumbered key needs no id": '{%s, "box_Main": {"jack": {%s, "call_name": "In"}}}' % (BOX, KNOB),
    "a named part, its values overridden": '{%s, "box_Main": {"midi": {%s, "part": "din5-midi",'
                                            ' "drill_diameter": 1.6}}}' % (BOX, KNOB),
    "whole number written with a point": '{%s, "box_Main": {"pot1": {%s, "id": 2.0}}}' % (BOX, KNOB),
    "every key of scales and frames": '{%s, "box_Main": {"knob": {%s, "label_size": 9, "label_offset": [0, -0.2],'
                                      ' "scale": {"type": "arc", "from": 0, "to": 90, "marks": 4, "minor": 1,'
                                      ' "radius": 1, "length": 0.2, "minor_length": 0.1, "line_width": 0.3,'
                                      ' "arc": true, "labels": ["a", "b", "c", "d"], "label_radius": 1.6,'
                                      ' "label_size": 7, "radial": true}, "frame": {"width": 4, "height": 3,'
                                      ' "radius": 0.2, "line_width": 0.2, "title": "T"}},'
                                      ' "fader": {%s, "id": 1, "drill_width": 0.3, "drill_height": 4, "scale":'
                                      ' {"type": "line", "from": -2, "to": 2, "side": "both",'
                                      ' "labels": {"from": 0, "to": 1}}}}}' % (BOX, KNOB, KNOB),
}

# Projects the program refuses (exit 2); the schema must refuse them too.
bad = {
    "boolean where a number belongs": '{%s, "box_Main": {"led": {%s, "drill_diameter": true}}}' % (BOX, KNOB),
    "missing location_x": '{%s, "box_Main": {"led": {"location_y": 1}}}' % BOX,
    "string section": '{%s, "box_Main": "knobs"}' % BOX,
    "missing Generic": '{"box_Main": {}}',
    "height as text": '{"Generic": {"width": 20, "height": "10"}, "box_Main": {}}',
    "component not an object": '{%s, "box_Main": {"led": 3}}' % BOX,
    "pot without id": '{%s, "box_Main": {"pot1": {%s, "call_name": "Knob"}}}' % (BOX, KNOB),
    "call_name a number": '{%s, "box_Main": {"led": {%s, "call_name": 7}}}' % (BOX, KNOB),
    "rotation beyond int": '{%s, "box_Main": {"led": {%s, "rotation": 3000000000}}}' % (BOX, KNOB),
    "a scale of one mark": '{%s, "box_Main": {"knob": {%s, "scale": {"marks": 1}}}}' % (BOX, KNOB),
    "a scale's side that is no side": '{%s, "box_Main": {"knob": {%s, "scale": {"side": "up"}}}}' % (BOX, KNOB),
    "a frame without width": '{%s, "box_Main": {"box": {%s, "frame": {"width": 0, "height": 2}}}}' % (BOX, KNOB),
    "a negative mark length": '{%s, "box_Main": {"knob": {%s, "scale": {"length": -0.1}}}}' % (BOX, KNOB),
    "a label size of 0": '{%s, "box_Main": {"knob": {%s, "label_size": 0}}}' % (BOX, KNOB),
}

failures = []


def program_status(text):
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "box.json")
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        # The examples' boards, which their "Boards" name beside them.
        for board in glob.glob(os.path.join(examples_dir, "*.kicad_pcb")):
            shutil.copy(board, tmp)
        run = subprocess.run([program, "-j", path, "-o", os.path.join(tmp, "out"), "-m", "3", "-b", "50",
                              "--vectorize=false", "--simulate"], capture_output=True, text=True, timeout=120)
        return run.returncode


if len(sys.argv) > 4:
    good["benchmark project"] = subprocess.run([sys.executable, sys.argv[4], "--components", "25"],
                                               capture_output=True, text=True, check=True).stdout

for path in sorted(glob.glob(os.path.join(examples_dir, "*.json"))):
    with open(path, encoding="utf-8") as f:
        good[os.path.basename(path)] = f.read()

for name, text in good.items():
    errors = [e.message for e in validator.iter_errors(json.loads(text))]
    if errors:
        failures.append(f"schema refuses good project '{name}': {errors}")
    if program_status(text) != 0:
        failures.append(f"program refuses good project '{name}'")

for name, text in bad.items():
    if validator.is_valid(json.loads(text)):
        failures.append(f"schema accepts broken project '{name}'")
    if program_status(text) != 2:
        failures.append(f"program accepts broken project '{name}'")

for failure in failures:
    print(failure)
print(f"{len(good)} good and {len(bad)} broken projects checked, {len(failures)} problems")
sys.exit(1 if failures else 0)
