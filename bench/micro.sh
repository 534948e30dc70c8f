#!/usr/bin/env bash
# Builds the micro-benchmarks (preset "bench", build-bench/) and runs them;
# arguments go to Google Benchmark, e.g. --benchmark_filter=hatch.
set -euo pipefail
cd "$(dirname "$0")/.."
./setup.sh
if ! dpkg-query -W -f='${Status}' libbenchmark-dev 2>/dev/null | grep -q "install ok installed"; then
    exec 9>"${TMPDIR:-/tmp}/svggenerator-setup.lock"
    flock 9
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    $sudo apt-get install -o DPkg::Lock::Timeout=600 -y -qq libbenchmark-dev
    flock -u 9
fi
cmake --preset bench >/dev/null
cmake --build --preset bench -j "$(nproc 2>/dev/null || echo 2)" --target svggenerator_bench >/dev/null
exec build-bench/bench/svggenerator_bench "$@"
