#!/usr/bin/env bash
# What a Windows user does without a console, under Wine: a folder dropped on
# kestro.exe (its one argument) leaves FOLDER.gpi beside it, a GPI file
# dropped on kestro-dump.exe shows its outline; "C:" alone is the current
# folder of drive C; --unpack of names Windows refuses, converted back into
# the same bytes; and a run from a script never waits for Enter.
# Usage: windows-habits.sh LINUX_BUILD WINDOWS_BUILD WORK_FOLDER
set -uo pipefail
linux="$(cd "$1" && pwd)"
windows="$(cd "$2" && pwd)"
work="$3"
export WINEDEBUG=-all WINEPREFIX="${WINEPREFIX:-$windows/wineprefix}"
wineserver -p 120
trap 'wineserver -k 2>/dev/null' EXIT

rm -rf "$work" && mkdir -p "$work/linux" "$work/windows"
work="$(cd "$work" && pwd)"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
same_gpi() {  # the time of the run (bytes 16 to 19) aside
  cmp -s <(head -c 16 "$1") <(head -c 16 "$2") && cmp -s <(tail -c +21 "$1") <(tail -c +21 "$2")
}
win_path() { echo "Z:$(echo "$1" | tr / '\\')"; }
# Every run from this script: input from /dev/null, so a wait would end at once; a hang is a failure.
winrun() { timeout 120 wine "$@" < /dev/null; }
gpx() {  # gpx PATH NAME LAT
  mkdir -p "$(dirname "$1")"
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<gpx version="1.1" creator="t" xmlns="http://www.topografix.com/GPX/1/1">\n<wpt lat="%s" lon="14.4"><name>%s</name></wpt>\n</gpx>\n' "$3" "$2" > "$1"
}

# ---- one argument: the folder's name with .gpi, beside it ------------------
for name in "My points" "Žluťoučký kůň" "Кафе 茶館"; do
  for side in linux windows; do
    gpx "$work/$side/$name/Cafes/a.gpx" "Café $name" 50.1
    gpx "$work/$side/$name/Huts/b.gpx" "Hut" 50.2
  done
  (cd "$work/linux" && "$linux/kestro" "$name" "$name.gpi" > /dev/null 2>&1) || fail "Linux: kestro \"$name\" NAME.gpi"
  (cd "$work/windows" && winrun "$windows/kestro.exe" "$name" > "$name.out" 2>&1) || fail "kestro.exe \"$name\": exit code $?"
  [ -f "$work/windows/$name.gpi" ] || { fail "kestro.exe \"$name\": no \"$name.gpi\" beside it: $(cat "$work/windows/$name.out")"; continue; }
  same_gpi "$work/linux/$name.gpi" "$work/windows/$name.gpi" || fail "kestro.exe \"$name\": not the bytes of the Linux run"
  grep -q "^Destination: $name.gpi\$" "$work/windows/$name.out" || fail "kestro.exe \"$name\": no Destination line"
  grep -q 'Press Enter' "$work/windows/$name.out" && fail "kestro.exe \"$name\" from a script waited for Enter"
  # As Explorer passes it: the full path, without a trailing backslash.
  rm -f "$work/windows/$name.gpi"
  winrun "$windows/kestro.exe" "$(win_path "$work/windows/$name")" > "$work/full.out" 2>&1 || fail "kestro.exe FULL PATH of \"$name\": exit code $?"
  same_gpi "$work/linux/$name.gpi" "$work/windows/$name.gpi" || fail "kestro.exe FULL PATH of \"$name\": not the bytes of the Linux run"
  # A GPI file dropped on kestro-dump.exe: the outline, as on Linux.
  (cd "$work/windows" && winrun "$windows/kestro-dump.exe" "$name.gpi" > "$name.outline" 2>&1) || fail "kestro-dump.exe \"$name.gpi\": exit code $?"
  (cd "$work/windows" && "$linux/kestro-dump" "$name.gpi" > "$name.outline-linux" 2>&1)
  cmp -s "$work/windows/$name.outline" "$work/windows/$name.outline-linux" || fail "kestro-dump.exe \"$name.gpi\": another outline than Linux's"
done
cd "$work/windows"
# One argument that is no folder stays the usage error.
(cd "$work/windows" && winrun "$windows/kestro.exe" "My points.gpi" > notfolder.out 2>&1); status=$?
[ "$status" = 1 ] && grep -q 'Invalid parameter count' "$work/windows/notfolder.out" || fail "kestro.exe FILE: exit code $status, $(cat "$work/windows/notfolder.out")"
# No argument from a script: the usage error, no help, no wait.
(cd "$work/windows" && winrun "$windows/kestro.exe" > none.out 2>&1); status=$?
[ "$status" = 1 ] && ! grep -q 'Press Enter\|drop a folder' "$work/windows/none.out" || fail "kestro.exe without arguments from a script: exit code $status, $(cat "$work/windows/none.out")"
# The usage line names the program as it was called: by its path, and typed as "kestro" in cmd.
grep -qx 'Usage: kestro.exe <source_path> <destination_file>' "$work/windows/none.out" ||
  fail "kestro.exe by its path: the usage line is $(grep '^Usage' "$work/windows/none.out")"
winrun cmd /c "cd /d $(win_path "$windows") && kestro" > typed.out 2>&1
grep -qx 'Usage: kestro <source_path> <destination_file>' <(tr -d '\r' < typed.out) ||
  fail "kestro typed in cmd: the usage line is $(grep '^Usage' typed.out)"

# ---- "C:" alone: the current folder of drive C -----------------------------
drive_c="$WINEPREFIX/drive_c"
rm -rf "$drive_c/kestro-habits" "$drive_c/kestro-habits.gpi" && mkdir -p "$drive_c/kestro-habits"
cp -r "$work/windows/My points/." "$drive_c/kestro-habits/"
# cmd keeps each drive's current folder; the run starts on drive Z.
winrun cmd /c "cd /d C:\\kestro-habits && Z: && $(win_path "$windows/kestro.exe") C: $(win_path "$work/windows/drive-c.gpi")" > drive-c.out 2>&1 ||
  fail "kestro.exe C: OUT.gpi: exit code $?: $(cat drive-c.out)"
(cd "$work/linux" && "$linux/kestro" "My points" drive-c.gpi > /dev/null 2>&1)
same_gpi "$work/linux/drive-c.gpi" "$work/windows/drive-c.gpi" ||
  fail "kestro.exe C: OUT.gpi: not the points of drive C's current folder: $(cat drive-c.out)"
winrun cmd /c "cd /d C:\\kestro-habits && Z: && $(win_path "$windows/kestro.exe") C:" > drive-c-one.out 2>&1 ||
  fail "kestro.exe C:: exit code $?: $(cat drive-c-one.out)"
[ -f "$drive_c/kestro-habits.gpi" ] || fail "kestro.exe C:: no C:\\kestro-habits.gpi: $(cat drive-c-one.out)"
rm -rf "$drive_c/kestro-habits" "$drive_c/kestro-habits.gpi"

# ---- --unpack of names Windows refuses, and back ---------------------------
src="$work/linux/names"
mkdir -p "$src" && printf '[kestro]\ncodepage=1252\n' > "$src/kestro.ini"
gpx "$src/Кафе/Пушкин.gpx" "Alpha" 50.0          # "????/??????" in code page 1252
gpx "$src/Кафе/0 zoo.gpx" "Zoo" 50.1
gpx "$src/8 dev/con.gpx" "Con" 50.2
gpx "$src/8 dev/LPT1.gpx" "Lpt" 50.3
gpx "$src/9 trip./a b.gpx" "Dot" 50.4
gpx "$src/nul.gpx" "Nul" 50.5
gpx "$src/what? <really>.gpx" "Loose" 50.6
(cd "$work/linux" && "$linux/kestro" names names.gpi > /dev/null 2>&1) || fail "Linux: kestro names"
cp "$work/linux/names.gpi" "$work/windows/names.gpi"
grep -q '????' "$work/windows/names.gpi" || fail "names.gpi holds no \"????\""
(cd "$work/linux" && "$linux/kestro-dump" --unpack unpacked names.gpi > unpack.out 2>&1)
(cd "$work/windows" && winrun "$windows/kestro-dump.exe" --unpack unpacked names.gpi > unpack.out 2>&1); status=$?
[ "$status" = 0 ] || [ "$status" = 1 ] || fail "kestro-dump.exe --unpack of \"????\" names: exit code $status: $(cat "$work/windows/unpack.out")"
diff -r "$work/linux/unpacked" "$work/windows/unpacked" > unpack.diff || fail "kestro-dump.exe --unpack: another tree than Linux's ($work/windows/unpack.diff)"
for listed in '"????" as "____"' '"con" as "8 dev/con_"' '"9 trip." as "9 trip_"' '"what? <really>" as "what_ _really_"'; do
  grep -qF "$listed" "$work/windows/unpack.out" || fail "kestro-dump.exe --unpack does not list $listed"
done
mkdir -p "$work/windows/rebuilt"
(cd "$work/windows/unpacked" && winrun "$windows/kestro.exe" . ..\\rebuilt\\names.gpi > ../rebuild.out 2>&1) ||
  fail "kestro.exe of the unpacked folder: exit code $?: $(cat "$work/windows/rebuild.out")"
same_gpi "$work/windows/names.gpi" "$work/windows/rebuilt/names.gpi" || fail "the unpacked folder converts into other bytes"

# ---- a console of its own: the window waits for Enter -----------------------
# In a pseudo-terminal Wine gives the program a console of its own, as
# Explorer does; Enter comes after the run.
cd "$work/windows"
# Wine draws the console with terminal control sequences; a moved cursor is a blank.
plain_text() { sed -e 's/\x1b\[[0-9]*C/ /g' -e 's/\x1b\[[0-9;?]*[A-Za-z]//g' | tr -d '\r'; }
in_window() {  # in_window SECONDS_BEFORE_ENTER COMMAND...
  local delay="$1"; shift
  (sleep "$delay"; printf '\r') | timeout 60 script -qec "$*" /dev/null | plain_text
}
rm -f "My points.gpi"
in_window 15 "wine $(printf %q "$windows/kestro.exe") 'My points'" > window.out; status=$?
[ "$status" = 0 ] || fail "kestro.exe FOLDER in a window of its own: exit code $status"
[ -f "My points.gpi" ] || fail "kestro.exe FOLDER in a window of its own: no \"My points.gpi\""
grep -q 'Done\.' window.out && grep -q 'Press Enter to close this window\.' window.out ||
  fail "kestro.exe FOLDER in a window of its own: $(cat window.out)"
# Without Enter it is still waiting when the time is up.
(timeout 20 script -qec "wine $(printf %q "$windows/kestro.exe") 'My points'" /dev/null < <(sleep 40) > /dev/null); status=$?
[ "$status" = 124 ] || fail "kestro.exe FOLDER in a window of its own did not wait for Enter (exit code $status)"
wineserver -k 2>/dev/null; wineserver -p 120
in_window 15 "wine $(printf %q "$windows/kestro.exe")" > double-click.out
grep -q 'drop a folder on kestro.exe' double-click.out && grep -q 'Press Enter' double-click.out &&
  ! grep -q 'Invalid parameter count' double-click.out || fail "kestro.exe double-clicked: $(cat double-click.out)"
in_window 15 "wine $(printf %q "$windows/kestro-dump.exe") 'My points.gpi'" > dump-window.out
grep -q 'GPI file' dump-window.out && grep -q 'Press Enter' dump-window.out || fail "kestro-dump.exe FILE in a window of its own: $(cat dump-window.out)"
# From cmd, in the same terminal: the console is cmd's too, nothing waits.
(timeout 60 script -qec "wine cmd /c $(printf %q "$(win_path "$windows/kestro.exe")") examples-none" /dev/null < <(sleep 40) | plain_text) > cmd.out; status=${PIPESTATUS[0]}
[ "$status" != 124 ] && ! grep -q 'Press Enter' cmd.out || fail "kestro.exe from cmd waited: exit code $status, $(cat cmd.out)"

echo "windows-habits: $failures failures"
[ "$failures" -eq 0 ]
