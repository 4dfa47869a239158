#!/usr/bin/env bash
# Whole-program benchmark, on the wall clock: the program reads and stores on
# two threads, so processor time is no measure of what a user waits for.
# Every comparison runs kestro and the reference alternately, RUNS times
# each (default 3), and reports the medians and the median of the paired
# ratios, so that a burst of load on a shared machine hits both sides.
#
#   - N waypoints in one group (default N = 10000 100000 1000000; about 470
#     bytes of GPX each) against xmllint --stream --noout on the same file;
#   - the same 100,000 points as a CSV list (GPSBabel's unicsv) and as a
#     KML file (GPSBabel's kml) against their GPX file;
#   - GPSBabel's GPI writer (garmin_gpi, unique=0) against kestro on the
#     100,000-waypoint group only: its time grows with the square of N. It
#     takes minutes, so it runs BABEL_RUNS times (default 1), each paired
#     with a kestro run;
#   - the growth of kestro's median wall time from the smallest N to the
#     others, beside n log n;
#   - four groups of 100,000 waypoints: wall time against processor time
#     (user + system), below 1 only when both cores work.
# Peak memory is the largest resident size of the runs (/usr/bin/time -v).
# The machine's load is printed at the start and beside the four-group case.
#
# BEFORE=path/to/an/older/kestro adds that program to every alternation
# (before, kestro, reference) and prints its times and ratios beside.
#
#   bench/program/run.sh [N...]          BUILD=build-rel RUNS=3 BABEL_RUNS=1 (0: no GPSBabel) BEFORE=
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD:-$root/build-rel}
runs=${RUNS:-3}
babelRuns=${BABEL_RUNS:-1}
before=${BEFORE:-}
counts=("$@")
[ ${#counts[@]} -eq 0 ] && counts=(10000 100000 1000000)

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKESTRO_TESTS=OFF > /dev/null
cmake --build "$build" -j2 --target kestro gpx_generator > /dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/kestro-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/before"

calc() { awk "BEGIN { printf \"%.${2:-2}f\", $1 }"; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
maximum() { printf '%s\n' "$@" | sort -g | tail -n 1; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

# timed CMD...: runs CMD under /usr/bin/time -v; sets WALL, CPU (user +
# system, seconds) and PEAK_MB. The output goes to $work/out.log. The wall
# time is read around the run in nanoseconds: /usr/bin/time gives only
# hundredths, too coarse for the smallest N.
timed() {
    local start end
    start=$(date +%s%N)
    if ! /usr/bin/time -v -o "$work/time.log" "$@" > "$work/out.log" 2>&1; then
        echo "failed: $*"; tail -n 20 "$work/out.log"; exit 1
    fi
    end=$(date +%s%N)
    local user system kib
    user=$(sed -n 's/^\tUser time (seconds): //p' "$work/time.log")
    system=$(sed -n 's/^\tSystem time (seconds): //p' "$work/time.log")
    kib=$(sed -n 's/^\tMaximum resident set size (kbytes): //p' "$work/time.log")
    WALL=$(calc "($end - $start) / 1e9" 3)
    CPU=$(calc "$user + $system" 3)
    PEAK_MB=$(calc "$kib / 1024" 0)
}

# paired COUNT "A..." "B...": runs A and B alternately COUNT times. Sets the
# medians A_WALL, B_WALL, the median of the ratios A / B as RATIO, the
# median processor time A_CPU, and the peaks A_PEAK, B_PEAK (MB).
# With a fourth argument "C..." (the older program) C runs first in each
# round and sets C_WALL, C_PEAK and C_RATIO (C / B).
paired() {
    local count=$1 a=$2 b=$3 c=${4:-} i
    local aw=() bw=() ac=() ap=() bp=() ratio=() cw=() cp=() cratio=()
    for ((i = 0; i < count; ++i)); do
        if [ -n "$c" ]; then timed $c; cw+=("$WALL"); cp+=("$PEAK_MB"); fi
        timed $a; aw+=("$WALL"); ac+=("$CPU"); ap+=("$PEAK_MB")
        timed $b; bw+=("$WALL"); bp+=("$PEAK_MB")
        ratio+=("$(calc "${aw[i]} / ${bw[i]}" 4)")
        [ -n "$c" ] && cratio+=("$(calc "${cw[i]} / ${bw[i]}" 4)")
    done
    A_WALL=$(median "${aw[@]}"); B_WALL=$(median "${bw[@]}"); A_CPU=$(median "${ac[@]}")
    RATIO=$(median "${ratio[@]}"); A_PEAK=$(maximum "${ap[@]}"); B_PEAK=$(maximum "${bp[@]}")
    if [ -n "$c" ]; then C_WALL=$(median "${cw[@]}"); C_PEAK=$(maximum "${cp[@]}"); C_RATIO=$(median "${cratio[@]}"); fi
}

echo "kestro benchmark, $(nproc) processors, load at start $(load), $runs runs per side"
declare -A kestroWall beforeWall
for n in "${counts[@]}"; do
    rm -rf "$work/src" "$work"/*.gpi
    "$build/bench/program/gpx_generator" "$n" "$work/src" > /dev/null
    gpx=$work/src/Points/points.gpx
    kestro="$build/kestro $work/src $work/out.gpi"

    paired "$runs" "$kestro" "xmllint --stream --noout $gpx" ${before:+"$before $work/src $work/before/out.gpi"}
    kestroWall[$n]=$A_WALL
    echo "N=$n: GPX $(calc "$(stat -c %s "$gpx") / 1e6" 1) MB, GPI $(calc "$(stat -c %s "$work/out.gpi") / 1e6" 1) MB"
    echo "  kestro                    wall $A_WALL s (cpu $A_CPU s)  peak $A_PEAK MB (goal: at most 450 MB at 1,000,000)"
    echo "  xmllint --stream --noout  wall $B_WALL s  peak $B_PEAK MB"
    echo "  kestro / xmllint          $(calc "$RATIO" 2) (goal: at most 3 at 100,000, at most 4 at 1,000,000)"
    if [ -n "$before" ]; then
        beforeWall[$n]=$C_WALL
        echo "  before                    wall $C_WALL s  peak $C_PEAK MB"
        echo "  before / xmllint          $(calc "$C_RATIO" 2)"
        # The header holds the time of the run (bytes 17 to 20).
        cmp <(head -c 16 "$work/out.gpi") <(head -c 16 "$work/before/out.gpi") > /dev/null &&
            cmp <(tail -c +21 "$work/out.gpi") <(tail -c +21 "$work/before/out.gpi") > /dev/null &&
            echo "  before and kestro wrote the same bytes (but the time stamp)" ||
            echo "  before and kestro wrote OTHER BYTES"
    fi

    if [ "$n" -eq 100000 ]; then
        if [ "$babelRuns" -gt 0 ]; then
            paired "$babelRuns" "gpsbabel -i gpx -f $gpx -o garmin_gpi,unique=0 -F $work/babel.gpi" "$kestro"
            echo "  gpsbabel garmin_gpi       wall $A_WALL s  peak $A_PEAK MB ($babelRuns run(s), each beside a kestro run)"
            echo "  gpsbabel / kestro         $(calc "$RATIO" 0) (goal: at least 100)"
        fi

        # The same points as a CSV list with a header, as GPSBabel's unicsv writes it.
        rm -rf "$work/csv"
        mkdir -p "$work/csv/Points"
        gpsbabel -i gpx -f "$gpx" -o unicsv -F "$work/csv/Points/points.csv"
        paired "$runs" "$build/kestro $work/csv $work/csv.gpi" "$kestro" ${before:+"$before $work/csv $work/csv-before.gpi"}
        echo "  kestro on a CSV list      wall $A_WALL s  peak $A_PEAK MB ($(calc "$(stat -c %s "$work/csv/Points/points.csv") / 1e6" 1) MB)"
        echo "  CSV list / GPX            $(calc "$RATIO") (goal: at most 1)"
        [ -n "$before" ] && echo "  before on the CSV list    wall $C_WALL s"

        # The same points as GPSBabel's KML (one placemark each, with its style and description).
        rm -rf "$work/kml"
        mkdir -p "$work/kml/Points"
        gpsbabel -i gpx -f "$gpx" -o kml -F "$work/kml/Points/points.kml"
        paired "$runs" "$build/kestro $work/kml $work/kml.gpi" "$kestro" ${before:+"$before $work/kml $work/kml-before.gpi"}
        echo "  kestro on a KML file      wall $A_WALL s  peak $A_PEAK MB ($(calc "$(stat -c %s "$work/kml/Points/points.kml") / 1e6" 1) MB)"
        echo "  KML file / GPX            $(calc "$RATIO") (goal: at most 1.5)"

        # Four groups of the same points, each its own folder.
        rm -rf "$work/four"
        for g in 1 2 3 4; do mkdir -p "$work/four/Points$g"; ln "$gpx" "$work/four/Points$g/points.gpx"; done
        four=() fourCpu=()
        for ((i = 0; i < runs; ++i)); do
            timed $build/kestro "$work/four" "$work/four.gpi"
            four+=("$(calc "$WALL / $CPU" 3)"); fourCpu+=("$WALL s wall / $CPU s cpu")
        done
        echo "four groups of 100,000 (load $(load)): ${fourCpu[*]}"
        echo "  wall / (user + system)    $(calc "$(median "${four[@]}")") (goal: at most 0.6, both cores busy)"
    fi
done

first=${counts[0]}
for n in "${counts[@]:1}"; do
    echo "growth $first -> $n: wall x$(calc "${kestroWall[$n]} / ${kestroWall[$first]}" 0)," \
         "n log n x$(calc "$n * log($n) / ($first * log($first))" 0) (goal: at most x120 for 10,000 -> 1,000,000)"
    [ -n "$before" ] && echo "  before: wall x$(calc "${beforeWall[$n]} / ${beforeWall[$first]}" 0)"
done
echo "load at end $(load)"
