#!/usr/bin/env bash
# The Windows programs under Wine against the Linux ones: for every case the
# same output bytes (time stamp aside), the same standard output and the same
# exit code; kestro-dump --json prints the same for every GPI file. Then what
# only Windows has: drive letters and backslashes, a destination held open by
# another process, Ctrl-C.
# Usage: compare-with-linux.sh LINUX_BUILD WINDOWS_BUILD WORK_FOLDER
# The shared folder's GPX and GPI files are included when KESTRO_SHARED or
# ../shared beside the source tree holds them.
set -uo pipefail
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
linux="$(cd "$1" && pwd)"
windows="$(cd "$2" && pwd)"
work="$3"
shared="${KESTRO_SHARED:-$source_dir/../shared}"
export WINEDEBUG=-all WINEPREFIX="${WINEPREFIX:-$windows/wineprefix}"
# One Wine server for all runs instead of one per run.
wineserver -p 120
trap 'wineserver -k 2>/dev/null' EXIT

rm -rf "$work" && mkdir -p "$work/cases" "$work/linux" "$work/windows"
work="$(cd "$work" && pwd)"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Bytes 16 to 19 of the header record hold the time of the run.
same_gpi() {
  cmp -s <(head -c 16 "$1") <(head -c 16 "$2") && cmp -s <(tail -c +21 "$1") <(tail -c +21 "$2")
}

# Full paths in messages: Wine's "Z:\work\x" is the Linux "/work/x"; each
# build runs in a folder of its own. The usage line names the program as it
# was called (kestro.exe, kestro; checked below). The frames of an error
# report name functions differently on each system: they are left out.
comparable() {
  perl -pe 's{Z:((?:\\[^\\"\s]+)+\\?)}{ (my $p = $1) =~ tr{\\}{/}; $p }ge' |
    sed "s#$work/linux/#$work/BUILD/#g; s#$work/windows/#$work/BUILD/#g; s#^Usage: kestro\.exe <#Usage: kestro <#" |
    awk '{ if (skip) { if ($0 == "") { skip = 0; print "(frames)"; print } next }
           print; if (report && $0 == "") skip = 1; report = ($0 ~ /^(E[A-Za-z]+|Exception|std::[a-z_]+): /) }'
}

# ---- the cases: folders that both builds convert -------------------------
cases="$work/cases"
bash "$source_dir/tests/cases/make-cases.sh" "$cases" || fail "the cases could not be made"

# ---- both builds on every case ---------------------------------------------
cp -r "$cases/." "$work/linux/" && cp -r "$cases/." "$work/windows/"
for case_dir in "$cases"/*/; do
  name="$(basename "$case_dir")"
  (cd "$work/linux" && "$linux/kestro" "$name" "$name.gpi" > "$name.out" 2>&1; echo $? > "$name.rc")
  (cd "$work/windows" && wine "$windows/kestro.exe" "$name" "$name.gpi" > "$name.out" 2>&1; echo $? > "$name.rc")
  l="$work/linux/$name" w="$work/windows/$name"
  [ "$(cat "$l.rc")" = "$(cat "$w.rc")" ] || fail "$name: exit code $(cat "$l.rc") on Linux, $(cat "$w.rc") on Windows"
  diff -u <(comparable < "$l.out") <(comparable < "$w.out") > "$work/$name.out.diff" ||
    fail "$name: standard output differs ($work/$name.out.diff)"
  if [ -f "$l.gpi" ] || [ -f "$w.gpi" ]; then
    same_gpi "$l.gpi" "$w.gpi" || fail "$name: the GPI files differ"
  fi
  echo "case $name: exit $(cat "$l.rc")"
done
grep -qx 'Usage: kestro <source_path> <destination_file>' "$work/linux/examples.out" ||
  fail "the Linux usage line does not name kestro: $(grep '^Usage' "$work/linux/examples.out")"
grep -qx 'Usage: kestro.exe <source_path> <destination_file>' "$work/windows/examples.out" ||
  fail "the Windows usage line does not name kestro.exe: $(grep '^Usage' "$work/windows/examples.out")"

# The same bytes above are decoded pixels, not the same refusal twice.
grep 'not used' "$work/windows/webp.out" && fail "webp: a photo was left out on Windows"
[ "$("$linux/kestro-dump" "$work/windows/webp.gpi" | grep -c '^ *Image [0-9]*: ')" = 3 ] ||
  fail "webp: the Windows file does not hold the three photos"

# ---- kestro-dump on every GPI file -----------------------------------------
gpis=("$work"/linux/*.gpi)
[ -d "$shared/data/peer/gpi" ] && gpis+=("$shared"/data/peer/gpi/*.gpi)
for gpi in "${gpis[@]}"; do
  cp "$gpi" "$work/dump.gpi"
  (cd "$work" && "$linux/kestro-dump" --json dump.gpi > dump-linux.json 2>&1; echo $? >> dump-linux.json)
  (cd "$work" && wine "$windows/kestro-dump.exe" --json dump.gpi > dump-windows.json 2>&1; echo $? >> dump-windows.json)
  cmp -s "$work/dump-linux.json" "$work/dump-windows.json" || fail "kestro-dump --json $(basename "$gpi") differs"
  (cd "$work" && "$linux/kestro-dump" --check dump.gpi > check-linux.txt 2>&1; echo $? >> check-linux.txt)
  (cd "$work" && wine "$windows/kestro-dump.exe" --check dump.gpi > check-windows.txt 2>&1; echo $? >> check-windows.txt)
  cmp -s "$work/check-linux.txt" "$work/check-windows.txt" || fail "kestro-dump --check $(basename "$gpi") differs"
done
echo "kestro-dump: ${#gpis[@]} GPI files"

# ---- kestro-dump --unpack: the same tree, file for file ------------------
for name in examples csv languages utf8 links webp; do
  [ -f "$work/linux/$name.gpi" ] || { fail "unpack: no $name.gpi"; continue; }
  (cd "$work/linux" && "$linux/kestro-dump" --unpack "unpacked-$name" "$name.gpi" > "unpack-$name.out" 2>&1; echo $? >> "unpack-$name.out")
  (cd "$work/windows" && wine "$windows/kestro-dump.exe" --unpack "unpacked-$name" "$name.gpi" > "unpack-$name.out" 2>&1; echo $? >> "unpack-$name.out")
  diff -r "$work/linux/unpacked-$name" "$work/windows/unpacked-$name" > "$work/unpack-$name.diff" ||
    fail "unpack $name: the trees differ ($work/unpack-$name.diff)"
  diff -u <(comparable < "$work/linux/unpack-$name.out") <(comparable < "$work/windows/unpack-$name.out") \
    > "$work/unpack-$name.out.diff" || fail "unpack $name: standard output differs ($work/unpack-$name.out.diff)"
done
# A folder that is not empty is refused.
(cd "$work/windows" && wine "$windows/kestro-dump.exe" --unpack unpacked-examples examples.gpi > unpack-again.out 2>&1) &&
  fail "unpack into a folder that is not empty: exit code 0"
grep -q 'is not empty' "$work/windows/unpack-again.out" || fail "unpack into a full folder: $(cat "$work/windows/unpack-again.out")"

win_path() { echo "Z:$(echo "$1" | tr / '\\')"; }

# ---- "-": the GPI file on standard output, in binary ------------------------
(cd "$work/linux" && "$linux/kestro" examples - > stdout.gpi 2> stdout.err; echo $? > stdout.rc)
# cmd opens the file, as on Windows: a file Wine's shell opened has no Windows name for the header.
(cd "$work/windows" && wine cmd /c "$(win_path "$windows/kestro.exe") examples - > stdout.gpi 2> stdout.err"; echo $? > stdout.rc)
[ "$(cat "$work/windows/stdout.rc")" = 0 ] || fail "kestro.exe examples -: exit code $(cat "$work/windows/stdout.rc")"
same_gpi "$work/linux/stdout.gpi" "$work/windows/stdout.gpi" || fail "kestro.exe examples -: not the bytes of the Linux run"
"$linux/kestro-dump" --check "$work/windows/stdout.gpi" | grep -qx 'No problems found.' ||
  fail "kestro.exe examples -: kestro-dump --check finds problems"
diff -u <(comparable < "$work/linux/stdout.err") <(comparable < "$work/windows/stdout.err") > "$work/stdout.err.diff" ||
  fail "kestro.exe examples -: standard error differs ($work/stdout.err.diff)"

# ---- what only Windows has -------------------------------------------------
cd "$work/windows"
# A drive letter and backslashes, with and without the last one; ".\" relative.
mkdir -p drive
for source in "$(win_path "$work/windows/examples")" "$(win_path "$work/windows/examples")\\" '.\examples'; do
  rm -f drive/examples.gpi
  wine "$windows/kestro.exe" "$source" "$(win_path "$work/windows/drive/examples.gpi")" > drive.out 2>&1 \
    || fail "kestro.exe $source: exit code $?"
  same_gpi drive/examples.gpi "$work/linux/examples.gpi" || fail "kestro.exe $source: not the bytes of the Linux run"
done
wine "$windows/kestro-dump.exe" --check "$(win_path "$work/windows/drive/examples.gpi")" > check.out 2>&1
grep -qx 'No problems found.' check.out || fail "kestro-dump.exe --check of a drive-letter path: $(cat check.out)"
# kestro-dump refuses an output that is its input under another letter case.
cp examples.gpi Same.gpi
wine "$windows/kestro-dump.exe" --svg SAME.GPI Same.gpi > same.out 2>&1 && fail "kestro-dump.exe wrote over its input SAME.GPI"
cmp -s examples.gpi Same.gpi || fail "kestro-dump.exe changed its input Same.gpi"

# A destination another process holds open: the run fails, the file stays,
# what was written is kept beside it.
cp examples.gpi held.gpi
wine "$windows/hold-file.exe" "$(win_path "$work/windows/held.gpi")" & holder=$!
for _ in $(seq 100); do [ -f held.gpi.held ] && break; sleep 0.1; done
wine "$windows/kestro.exe" examples held.gpi > held.out 2>&1; status=$?
kill "$holder" 2>/dev/null; wait "$holder" 2>/dev/null
[ "$status" -ne 0 ] || fail "a destination held by another process: exit code 0"
grep -q 'held.gpi' held.out || fail "a destination held by another process: no message naming it"
cmp -s examples.gpi held.gpi || fail "a destination held by another process was changed"
[ -f held.gpi.partial ] || fail "a destination held by another process: no held.gpi.partial"

# Ctrl-C while the output is written leaves DESTINATION.partial and no temporary file.
mkdir -p big
awk 'BEGIN { print "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" creator=\"t\">";
  for (i = 0; i < 300000; i++) printf "<wpt lat=\"%.5f\" lon=\"%.5f\"><name>P%d</name></wpt>\n", 40 + (i % 1000) / 100.0, 10 + int(i / 1000) / 100.0, i;
  print "</gpx>" }' > big/big.gpx
rm -f big.gpi big.gpi.partial
wine "$windows/kestro.exe" big big.gpi > big.out 2>&1 & run=$!
for _ in $(seq 600); do compgen -G '.big.gpi.*.tmp' > /dev/null && break; sleep 0.05; done
kill -INT "$run"; wait "$run"; status=$?
[ "$status" -ne 0 ] || fail "Ctrl-C: exit code 0"
[ -f big.gpi.partial ] || fail "Ctrl-C: no big.gpi.partial"
[ ! -e big.gpi ] || fail "Ctrl-C: big.gpi was written"
compgen -G '.big.gpi.*.tmp' > /dev/null && fail "Ctrl-C: a temporary file is left"
grep -qF "kestro: stopped by a signal. What was written is kept in \"$(win_path "$work/windows/big.gpi.partial")\"; \"$(win_path "$work/windows/big.gpi")\" is as it was before the run." big.out ||
  fail "Ctrl-C: no last line naming the partial file: $(tail -2 big.out)"

echo "compare-with-linux: $failures failures"
[ "$failures" -eq 0 ]
