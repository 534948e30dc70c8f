#!/usr/bin/env python3
"""Writes a synthetic project file for benchmarks: many sections, many
components, a mix of round and rectangular recesses and of rotations.

The same arguments always give the same file (a fixed random seed)."""

import argparse
import json
import random
import sys

SECTION_NAMES = ["box_Main", "box_Top", "box_Bottom", "box_Back", "box_Front", "box_Left", "box_Right",
                 "box_Lid", "box_Base", "box_Panel"]
KINDS = [("pot", "Knob"), ("button", "Button"), ("fader", "Fader"), ("jack", "Jack"), ("screen", "Screen")]


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--sections", type=int, default=7, help="number of sections (panels), default 7")
    parser.add_argument("--components", type=int, default=1000, help="components per section, default 1000")
    parser.add_argument("--visible", type=float, nargs=2, default=[1.5, 4.0], metavar=("MIN", "MAX"),
                        help="range of visible sizes in cm (diameter, width, height), default 1.5 4.0")
    parser.add_argument("--drill", type=float, nargs=2, default=[0.3, 0.8], metavar=("MIN", "MAX"),
                        help="range of drill sizes in cm, default 0.3 0.8")
    parser.add_argument("--round", type=float, default=0.5,
                        help="share of components with a round visible area, default 0.5")
    parser.add_argument("--rotations", default="0:6,90:2,180:1,45:1",
                        help="rotation mix as degrees:weight pairs, default 0:6,90:2,180:1,45:1")
    parser.add_argument("--width", type=float, default=60.0, help="box width in cm, default 60")
    parser.add_argument("--height", type=float, default=40.0, help="box height in cm, default 40")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("-o", "--output", default="-", help="output file, default standard output")
    args = parser.parse_args()
    if args.sections < 1 or args.components < 0:
        parser.error("--sections must be at least 1 and --components at least 0")
    return args


def rotation_mix(text):
    degrees, weights = [], []
    for pair in text.split(","):
        angle, weight = pair.split(":")
        degrees.append(int(angle))
        weights.append(float(weight))
    return degrees, weights


def make_component(index, rng, args, degrees, weights):
    prefix, call_name = KINDS[index % len(KINDS)]
    component = {
        "id": index,
        "call_name": call_name,
        "location_x": round(rng.uniform(1.5, args.width - 1.5), 3),
        "location_y": round(rng.uniform(1.5, args.height - 1.5), 3),
        "rotation": rng.choices(degrees, weights)[0],
    }
    drill = round(rng.uniform(*args.drill), 3)
    if rng.random() < args.round:
        component["drill_diameter"] = drill
        component["visible_diameter"] = round(rng.uniform(*args.visible), 3)
    else:
        component["drill_width"] = drill
        component["drill_height"] = round(drill * 0.6, 3)
        component["visible_width"] = round(rng.uniform(*args.visible), 3)
        component["visible_height"] = round(rng.uniform(*args.visible), 3)
    return f"{prefix}{index}", component


def make_project(args):
    rng = random.Random(args.seed)
    degrees, weights = rotation_mix(args.rotations)
    project = {"Generic": {"width": args.width, "height": args.height}}
    for s in range(args.sections):
        name = SECTION_NAMES[s] if s < len(SECTION_NAMES) else f"box_Side{s}"
        project[name] = dict(make_component(i, rng, args, degrees, weights) for i in range(args.components))
    return project


def main():
    args = parse_arguments()
    text = json.dumps(make_project(args), indent=1)
    if args.output == "-":
        sys.stdout.write(text)
    else:
        with open(args.output, "w", encoding="utf-8") as file:
            file.write(text)


if __name__ == "__main__":
    main()
