#!/usr/bin/env bash
# Whole-program benchmark: draws a hatch-heavy synthetic project (recess on,
# screws on, no vectorization) in normal and in separate-files mode and
# compares each run with `cat` writing the same bytes into one file.
#
#   bench/run.sh [--sections N] [--components N] [--lines-per-mm N] [--runs N] [--program PATH]
#
# --program measures another build of the program (for a before/after) instead
# of build/svggenerator, which the script builds.
# Runs of the program and of cat alternate; the figures are medians of wall
# time, and of user+system CPU time, which a busy machine disturbs less. Peak
# memory is the largest "Maximum resident set size" of /usr/bin/time -v.
set -euo pipefail
cd "$(dirname "$0")/.."

sections=7
components=1000
lines_per_mm=10
runs=5
program=""
while [ $# -gt 0 ]; do
    case "$1" in
        --sections) sections=$2; shift 2 ;;
        --components) components=$2; shift 2 ;;
        --lines-per-mm) lines_per_mm=$2; shift 2 ;;
        --runs) runs=$2; shift 2 ;;
        --program) program=$(realpath "$2"); shift 2 ;;
        *) echo "unknown argument: $1" >&2; exit 1 ;;
    esac
done
[ "$runs" -ge 1 ] || { echo "--runs must be at least 1" >&2; exit 1; }

# The build's own packages come from setup.sh; the benchmark also needs GNU
# time and Python.
./setup.sh
missing=()
[ -x /usr/bin/time ] || missing+=(time)
command -v python3 >/dev/null 2>&1 || missing+=(python3)
if [ ${#missing[@]} -gt 0 ]; then
    exec 9>"${TMPDIR:-/tmp}/svggenerator-setup.lock"
    flock 9
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    $sudo apt-get install -o DPkg::Lock::Timeout=600 -y -qq "${missing[@]}"
    flock -u 9
fi

if [ -z "$program" ]; then
    cmake --preset release >/dev/null
    cmake --build --preset release -j "$(nproc 2>/dev/null || echo 2)" --target svggenerator >/dev/null
    program=$PWD/build/svggenerator
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/svggenerator-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
python3 bench/make_project.py --sections "$sections" --components "$components" -o "$work/project.json"
project_bytes=$(stat -c %s "$work/project.json")

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
now() { echo "$EPOCHREALTIME"; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.6f\n", b - a }'; }

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "project: $sections sections x $components components, $project_bytes bytes; -n $lines_per_mm, $runs runs each"

for mode in normal separate; do
    extra=()
    [ "$mode" = separate ] && extra=(--separate-files)
    : >"$work/program.times"
    : >"$work/cat.times"
    : >"$work/rss"
    : >"$work/program.cpu"
    : >"$work/cat.cpu"
    for ((run = 1; run <= runs; run++)); do
        rm -rf "$work/out" "$work/all.svg"
        start=$(now)
        /usr/bin/time -v -o "$work/time.txt" "$program" -j "$work/project.json" -o "$work/out" -m 3 -b 400 \
            --vectorize=false --recess -n "$lines_per_mm" -p 3 -d 6 "${extra[@]}" >"$work/console.txt" 2>"$work/errors.txt"
        end=$(now)
        elapsed "$start" "$end" >>"$work/program.times"
        awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt" >>"$work/rss"
        awk -F': ' '/(User|System) time/ { cpu += $2 } END { print cpu }' "$work/time.txt" >>"$work/program.cpu"
        start=$(now)
        /usr/bin/time -f "%U %S" -o "$work/time.txt" cat "$work"/out/project/*.svg >"$work/all.svg"
        end=$(now)
        elapsed "$start" "$end" >>"$work/cat.times"
        awk '{ print $1 + $2 }' "$work/time.txt" >>"$work/cat.cpu"
    done
    files=("$work"/out/project/*.svg)
    lines=$(cat "${files[@]}" | grep -c '<line ')
    bytes=$(stat -c %s "$work/all.svg")
    largest=$(stat -c %s "${files[@]}" | sort -g | tail -1)
    program_s=$(median <"$work/program.times")
    cat_s=$(median <"$work/cat.times")
    rss_kib=$(sort -g "$work/rss" | tail -1)
    program_cpu=$(median <"$work/program.cpu")
    cat_cpu=$(median <"$work/cat.cpu")
    budget_kib=$(((largest + 10 * project_bytes) / 1024 + 16 * 1024))
    echo
    echo "== $mode mode: ${#files[@]} files, $lines hatch lines, $bytes bytes, largest file $largest bytes"
    awk -v l="$lines" -v b="$bytes" -v p="$program_s" -v c="$cat_s" -v r="$rss_kib" -v m="$budget_kib" \
        -v pc="$program_cpu" -v cc="$cat_cpu" 'BEGIN {
        printf "program   %.3f s median (cat %.3f s): %.2f M hatch lines/s, %.0f MB/s, %.2fx the time of cat\n",
               p, c, l / p / 1e6, b / p / 1e6, p / c
        printf "CPU time  %.3f s user+system median (cat %.3f s): %.2fx\n", pc, cc, pc / cc
        printf "peak RSS  %.1f MiB (largest file + 10x project + 16 MiB = %.1f MiB)\n", r / 1024, m / 1024
    }'
done
