#!/usr/bin/env bash
# Whole-program benchmark. For each N (default 10000 100000 1000000) it
# generates one group of N waypoints (about 470 bytes of GPX each), converts
# it with kestro, and times beside it in the same session:
#   - xmllint --stream --noout on the same GPX file;
#   - the point store alone: area_tree_bench --variant store N;
#   - the XML load alone: xml_load_bench N (best of five, its own file of N
#     waypoints of the same shape);
#   - GPSBabel writing garmin_gpi from the same GPX file, only up to 100,000
#     waypoints: its time grows with the square of N (about 3 hours at
#     1,000,000 by that growth), so it is skipped there.
# It prints every figure and the ratios the program is held to. Ratios use
# processor time (user + system) where the tool reports it, because the wall
# clock of a shared machine also counts other people's work.
#
#   bench/program/run.sh [N...]          BUILD=build-rel by default
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD:-$root/build-rel}
counts=("$@")
[ ${#counts[@]} -eq 0 ] && counts=(10000 100000 1000000)

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKESTRO_TESTS=OFF > /dev/null
cmake --build "$build" -j2 --target kestro gpx_generator area_tree_bench xml_load_bench > /dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/kestro-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

calc() { awk "BEGIN { printf \"%.${2:-2}f\", $1 }"; }

# timed CMD...: runs CMD under /usr/bin/time; sets WALL, CPU (user + system)
# and PEAK_MB; its output goes to $work/out.log.
timed() {
    if ! /usr/bin/time -f '%e %U %S %M' -o "$work/time.log" "$@" > "$work/out.log" 2>&1; then
        echo "failed: $*"; cat "$work/out.log"; exit 1
    fi
    read -r WALL user system kib < "$work/time.log"
    CPU=$(calc "$user + $system")
    PEAK_MB=$(calc "$kib / 1024" 0)
}

declare -A programCpu
for n in "${counts[@]}"; do
    rm -rf "$work/src" "$work"/*.gpi
    "$build/bench/program/gpx_generator" "$n" "$work/src"
    gpx=$work/src/Points/points.gpx
    gpxMB=$(calc "$(stat -c %s "$gpx") / 1e6" 1)

    timed "$build/kestro" "$work/src" "$work/out.gpi"
    kWall=$WALL kCpu=$CPU kPeak=$PEAK_MB
    programCpu[$n]=$kCpu
    outMB=$(calc "$(stat -c %s "$work/out.gpi") / 1e6" 1)

    timed xmllint --stream --noout "$gpx"
    xWall=$WALL xCpu=$CPU

    "$build/bench/store/area_tree_bench" --variant store "$n" > "$work/store.log"
    sWall=$(sed -n 's/.*total *\([0-9.]*\) s.*/\1/p' "$work/store.log")
    sCpu=$(sed -n 's/.*cpu: insert *\([0-9.]*\) s *tree *\([0-9.]*\) s.*/\1 + \2/p' "$work/store.log")
    sCpu=$(calc "$sCpu" 3)

    "$build/bench/xml/xml_load_bench" "$n" "$work" > "$work/xml.log"
    xmlBest=$(sed -n 's/^LoadFromFile into 1252: *\([0-9.]*\) s.*/\1/p' "$work/xml.log")

    echo "N=$n: GPX $gpxMB MB, GPI $outMB MB"
    echo "  kestro                    wall $kWall s  cpu $kCpu s  peak $kPeak MB"
    echo "  xmllint --stream --noout  wall $xWall s  cpu $xCpu s"
    echo "  store alone               wall $sWall s  cpu $sCpu s"
    echo "  XML load alone            $xmlBest s (best of five)"
    echo "  kestro / (store + XML)    $(calc "$kCpu / ($sCpu + $xmlBest)") (target at most 1.3)"
    echo "  kestro / xmllint          $(calc "$kCpu / $xCpu" 1) (target at most 6 at 100,000)"
    limit=$(calc "2 * $outMB + 256" 0)
    echo "  peak memory               $kPeak MB (limit 2 x output + 256 MB = $limit MB)"
    if [ "$n" -le 100000 ]; then
        timed gpsbabel -i gpx -f "$gpx" -o garmin_gpi,unique=0 -F "$work/babel.gpi"
        echo "  gpsbabel garmin_gpi       wall $WALL s  cpu $CPU s  peak $PEAK_MB MB"
        echo "  gpsbabel / kestro         $(calc "$CPU / $kCpu" 1) (target at least 40 at 100,000)"
    else
        echo "  gpsbabel garmin_gpi       skipped: its time grows with the square of N"
    fi
done

# Growth between the smallest and every larger N, against n log n.
first=${counts[0]}
for n in "${counts[@]:1}"; do
    echo "growth $first -> $n: time x$(calc "${programCpu[$n]} / ${programCpu[$first]}" 1)," \
         "n log n x$(calc "$n * log($n) / ($first * log($first))" 1)"
done
