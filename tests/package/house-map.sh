#!/usr/bin/env bash
# The house map of docs/DEVELOPERS.md against the code: for every room under
# src/, the rooms its "uses" column names are the rooms its files include
# (#include "ROOM/..."), no more and no fewer, and every room is on the map.
set -uo pipefail
cd "$(dirname "$0")/../.."
map=docs/DEVELOPERS.md
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# ROOM<TAB>a piece of its "uses" column, from the columns under the map's head line.
rows=$(awk '
  /^    room +what it holds +uses +threads/ { u = index($0, "uses"); t = index($0, "threads"); inside = 1; next }
  inside && /^$/ { exit }
  inside {
    name = substr($0, 5, 12); gsub(/ +$/, "", name)
    if (name != "") rooms = name
    n = split(rooms, each, / +/)
    for (i = 1; i <= n; i++) { r = each[i]; sub(/\/$/, "", r); print r "\t" substr($0, u, t - u) }
  }' "$map")
[ -n "$rows" ] || { echo "FAIL: no house map in $map"; exit 1; }

declare -A listed
while IFS=$'\t' read -r room text; do listed[$room]="${listed[$room]:-} $text"; done <<< "$rows"

words() { tr ', ' '\n\n' | sed '/^$/d; s/^waypoint_fields$/waypoints/' | sort -u; }
rooms=0
for folder in src/*/; do
  room=$(basename "$folder")
  rooms=$((rooms + 1))
  [ -n "${listed[$room]+x}" ] || { fail "src/$room/ is not on the house map of $map"; continue; }
  text=$(echo "${listed[$room]}" | sed 's/^ *//; s/ *$//; s/  */ /g')
  [ "$text" = "all of the above" ] && continue
  [ "$text" = "nothing of ours" ] && text=""
  named=$(echo "$text" | words | grep -vx "$room")
  included=$(grep -rhoE '^#include "[a-z_]+/' "$folder" | sed 's/^#include "//; s/\/$//' | sort -u | grep -vx "$room")
  missing=$(comm -13 <(echo "$named") <(echo "$included") | tr '\n' ' ')
  extra=$(comm -23 <(echo "$named") <(echo "$included") | tr '\n' ' ')
  [ -z "${missing// /}" ] || fail "$room/ includes $missing but its row of the house map does not name them"
  [ -z "${extra// /}" ] || fail "$room/ includes nothing of $extra, which its row of the house map names"
done
echo "house map: $rooms rooms of src/, $failures failures"
[ "$failures" -eq 0 ]
