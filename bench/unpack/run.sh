#!/usr/bin/env bash
# Unpacking benchmark, on the wall clock: kestro-dump --unpack of one group of
# N waypoints in about N/2 small areas whose order runs against the icons'
# numbers (1,000 icons), beside kestro-dump --check of the same file, which
# reads it whole in linear time. Each pair runs RUNS times (default 3),
# alternately; reported are the medians and the median of the paired ratios,
# and the growth of the unpacking time beside n log n.
#
#   bench/unpack/run.sh [N...]          BUILD=build-rel RUNS=3 (default N = 10000 20000 40000 100000)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD:-$root/build-rel}
runs=${RUNS:-3}
counts=("$@")
[ ${#counts[@]} -eq 0 ] && counts=(10000 20000 40000 100000)

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKESTRO_TESTS=OFF > /dev/null
cmake --build "$build" -j2 --target kestro kestro-dump unpack_generator > /dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/kestro-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

calc() { awk "BEGIN { printf \"%.${2:-2}f\", $1 }"; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# wall CMD...: runs CMD, output to $work/out.log; sets WALL (seconds).
wall() {
    local start end
    start=$(date +%s%N)
    if ! "$@" > "$work/out.log" 2>&1; then echo "failed: $*"; tail -n 20 "$work/out.log"; exit 1; fi
    end=$(date +%s%N)
    WALL=$(calc "($end - $start) / 1e9" 3)
}

echo "unpack benchmark, $(nproc) processors, load at start $(cut -d' ' -f1-3 /proc/loadavg), $runs runs per side"
declare -A unpackWall
for n in "${counts[@]}"; do
    rm -rf "$work/src" "$work/a.gpi"
    "$build/bench/unpack/unpack_generator" "$n" 1000 "$work/src"
    (cd "$work/src" && "$build/kestro" . ../a.gpi > /dev/null 2>&1)
    uw=() cw=() ratio=()
    for ((i = 0; i < runs; ++i)); do
        rm -rf "$work/u"
        wall "$build/kestro-dump" --unpack "$work/u" "$work/a.gpi"; uw+=("$WALL")
        wall "$build/kestro-dump" --check "$work/a.gpi"; cw+=("$WALL")
        ratio+=("$(calc "${uw[i]} / ${cw[i]}" 4)")
    done
    unpackWall[$n]=$(median "${uw[@]}")
    echo "N=$n: GPI $(calc "$(stat -c %s "$work/a.gpi") / 1e6" 1) MB"
    echo "  kestro-dump --unpack      wall ${unpackWall[$n]} s"
    echo "  kestro-dump --check       wall $(median "${cw[@]}") s"
    echo "  unpack / check            $(calc "$(median "${ratio[@]}")" 1)"
done
first=${counts[0]}
for n in "${counts[@]:1}"; do
    echo "growth $first -> $n: wall x$(calc "${unpackWall[$n]} / ${unpackWall[$first]}" 1)," \
         "n log n x$(calc "$n * log($n) / ($first * log($first))" 1)"
done
echo "load at end $(cut -d' ' -f1-3 /proc/loadavg)"
