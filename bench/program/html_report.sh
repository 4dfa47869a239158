#!/usr/bin/env bash
# Time to interactive of kestro-dump's HTML report. For each N (default 10000
# 100000) it generates one group of N waypoints, converts it, writes the
# report, and opens it RUNS times (default 3) in headless Chromium. The page
# writes performance.now() into the DOM (data-ready-ms) when its script has
# parsed the data, drawn the maps and filled the table: the time from the
# start of loading until it answers input. Printed per run, with the size of
# the page and the time kestro-dump took to write it.
#
#   bench/program/html_report.sh [N...]          BUILD=build-rel, RUNS=3
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD:-$root/build-rel}
runs=${RUNS:-3}
counts=("$@")
[ ${#counts[@]} -eq 0 ] && counts=(10000 100000)

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKESTRO_TESTS=OFF > /dev/null
cmake --build "$build" -j2 --target kestro kestro-dump gpx_generator > /dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/kestro-html-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

for n in "${counts[@]}"; do
  rm -rf "$work/src"
  "$build/bench/program/gpx_generator" "$n" "$work/src"
  "$build/kestro" "$work/src" "$work/points.gpi" > /dev/null
  start=$(date +%s%N)
  "$build/kestro-dump" --html "$work/points.html" "$work/points.gpi"
  writeMs=$(( ($(date +%s%N) - start) / 1000000 ))
  sizeMB=$(awk "BEGIN { printf \"%.1f\", $(stat -c %s "$work/points.html") / 1e6 }")
  line="N=$n: page $sizeMB MB, written in $writeMs ms; ready after"
  for ((run = 1; run <= runs; ++run)); do
    profile=$(mktemp -d "$work/profile.XXXXXX")
    timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
      --disable-background-networking --disable-component-update --disable-sync --disable-dev-shm-usage \
      --user-data-dir="$profile" --dump-dom "file://$work/points.html" 2>/dev/null > "$work/dom.html"
    ready=$(grep -o 'data-ready-ms="[0-9]*"' "$work/dom.html" | tr -dc 0-9)
    [ -n "$ready" ] || { echo "N=$n: the page did not get ready"; exit 1; }
    line="$line $ready ms"
    rm -rf "$profile"
  done
  echo "$line"
done
