#!/usr/bin/env bash
# The page's time against the native program's, on the wall clock: N
# generated waypoints in one group (default 100,000; bench/program's
# generator), converted by build/kestro and by build-web/kestro.html in
# headless Chromium through window.kestro.convert (the files handed over in
# memory, the time from the call to the bytes back). Each side runs RUNS
# times (default 3), alternately; the medians and their ratio are printed,
# and both files must be the same bytes but the time stamp.
#
#   bench/web/run.sh [N]          BUILD=build-rel RUNS=3 (make web first)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD:-$root/build-rel}
runs=${RUNS:-3}
count=${1:-100000}
page=$root/build-web/kestro.html
[ -f "$page" ] || { echo "bench/web: $page is missing (make web)" >&2; exit 1; }
# A build folder that exists keeps its settings (a test build stays one).
if [ -f "$build/CMakeCache.txt" ]; then cmake -S "$root" -B "$build" > /dev/null
else cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKESTRO_TESTS=OFF > /dev/null; fi
cmake --build "$build" -j2 --target kestro gpx_generator > /dev/null
node_path=$(bash "$root/scripts/fetch-playwright")
work=$(mktemp -d "${TMPDIR:-/tmp}/kestro-web-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/source"
"$(find "$build" -name gpx_generator -type f -perm -u+x | head -n 1)" "$count" "$work/source"
echo "load: $(cut -d' ' -f1-3 /proc/loadavg); $count waypoints, $(du -sh "$work/source" | cut -f1) of GPX"
NODE_PATH="$node_path" node "$root/bench/web/run.js" "$page" "$work" "$(realpath "$build/kestro")" "$runs" "$(command -v chromium)"
