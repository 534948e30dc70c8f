#!/usr/bin/env bash
# Measures POST /api/render of the example project (all six panels) against a
# running studio: the median and the slowest of REQUESTS requests (50 by
# default) over one kept-alive connection, after five to warm up, and the
# studio's own CPU time per request (steady on a machine shared with others).
#
#   bench/studio_render.sh [PROGRAM]     (default: build/svggenerator)
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/svggenerator}")
requests=${REQUESTS:-50}
scratch=$(mktemp -d)
cp examples/midi_controller.json "$scratch/box.json"
"$program" --studio -j "$scratch/box.json" -o "$scratch/out" >"$scratch/line" &
studio=$!
trap 'kill $studio 2>/dev/null; wait $studio 2>/dev/null; rm -rf "$scratch"' EXIT
for _ in $(seq 100); do
    grep -q '^Studio: ' "$scratch/line" && break
    sleep 0.05
done
python3 - "$(cat "$scratch/line")" "$scratch/box.json" "$requests" "$studio" <<'PYTHON'
import http.client, json, os, statistics, sys, time, urllib.parse
def cpu_seconds(pid):
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
address = urllib.parse.urlparse(sys.argv[1].split(" ", 1)[1])
token = urllib.parse.parse_qs(address.query)["token"][0]
body = json.dumps({"project": json.load(open(sys.argv[2]))})
connection = http.client.HTTPConnection(address.hostname, address.port)
headers = {"X-Studio-Token": token, "Content-Type": "application/json"}
times = []
for i in range(5 + int(sys.argv[3])):
    start = time.perf_counter()
    connection.request("POST", "/api/render", body, headers)
    response = connection.getresponse()
    answer = json.loads(response.read())
    if response.status != 200 or len(answer["panels"]) != 6:
        sys.exit(f"render failed: {response.status} {answer}")
    if i == 4:
        cpu_before = cpu_seconds(sys.argv[4])
    if i >= 5:
        times.append((time.perf_counter() - start) * 1000)
cpu = (cpu_seconds(sys.argv[4]) - cpu_before) * 1000 / len(times)
print(f"POST /api/render, {len(answer['panels'])} panels, {len(times)} requests: "
      f"median {statistics.median(times):.1f} ms, slowest {max(times):.1f} ms; "
      f"studio CPU time {cpu:.1f} ms per request; load average {os.getloadavg()[0]:.1f}")
PYTHON
