#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR as "make install" does and checks
# what a user gets: the files in their places, the installed kestro converting
# examples/ to the same bytes as the build tree's (time stamp aside), a complete
# error report where addr2line is missing, and manual pages that render
# without warnings. Runs from the source root, as the examples' links expect.
# Usage: installed-program.sh CMAKE BUILD_DIR BUILT_KESTRO
set -euo pipefail
cmake="$1" build="$2" built="$3"
fail() { echo "FAIL: $*"; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix=/usr/local
root="$work/root"
DESTDIR="$root" "$cmake" --install "$build" --prefix "$prefix" > "$work/install.log" || { cat "$work/install.log"; fail "install"; }

for file in bin/kestro bin/kestro-dump share/man/man1/kestro.1.gz share/man/man1/kestro-dump.1.gz \
            share/doc/kestro/README.md share/doc/kestro/copyright share/doc/kestro/changelog.gz; do
  [ -f "$root$prefix/$file" ] || fail "$prefix/$file was not installed"
done
# Every relative link of the installed README leads to an installed file.
doc="$root$prefix/share/doc/kestro"
while read -r link; do
  [ -e "$doc/$link" ] || fail "the installed README links $link, which is not installed"
done < <(grep -o '](\([^) #:,]*\))' "$doc/README.md" | sed 's/^](\(.*\))$/\1/')
installed="$root$prefix/bin/kestro"
dump="$root$prefix/bin/kestro-dump"
[ -x "$installed" ] && [ -x "$dump" ] || fail "the installed programs are not executable"

# The header record holds the output's file name, so both runs write examples.gpi;
# its four-byte time stamp follows "GRMREC00" at offset 16.
mkdir -p "$work/built" "$work/installed"
"$built" examples "$work/built/examples.gpi" > "$work/built/output" || fail "build tree's kestro on examples/"
"$installed" examples "$work/installed/examples.gpi" > "$work/installed/output" || fail "installed kestro on examples/"
cmp "$work/built/output" "$work/installed/output" || fail "the progress output differs"
without_stamp() { head -c 16 "$1"; tail -c +21 "$1"; }
cmp <(without_stamp "$work/built/examples.gpi") <(without_stamp "$work/installed/examples.gpi") \
  || fail "the installed kestro wrote other bytes than the build tree's"
[ "$(head -c 16 "$work/installed/examples.gpi" | tail -c 8)" = GRMREC00 ] || fail "no GPI header in the output"
"$dump" --check "$work/installed/examples.gpi" > "$work/check" || { cat "$work/check"; fail "installed kestro-dump --check"; }

# An error report names the frames with addr2line where PATH has it, and
# shows them as file and address where it has not; the report is complete either way.
report() {
  local status=0
  env PATH="$1" "$installed" examples "$work/no/such/folder/out.gpi" > "$work/report" || status=$?
  [ "$status" -eq 3 ] || { cat "$work/report"; fail "exit code $status instead of 3 (PATH=$1)"; }
  grep -q '^EFCreateError: Cannot create file ' "$work/report" || { cat "$work/report"; fail "no error line (PATH=$1)"; }
  sed -n '/^EFCreateError: /,$p' "$work/report" | tail -n +3 > "$work/frames"
  [ -s "$work/frames" ] || { cat "$work/report"; fail "no stack frames (PATH=$1)"; }
}
report "$PATH"
grep -qx 'main\( at .*\)\?' "$work/frames" || { cat "$work/frames"; fail "frames without names although addr2line is on PATH"; }
report "$work/empty"
grep -qv ' +0x[0-9a-f]*$' "$work/frames" && { cat "$work/frames"; fail "frames not shown as addresses without addr2line"; }

command -v man > /dev/null || fail "man (package man-db, installed by scripts/bootstrap) is missing"
for page in kestro kestro-dump; do
  warnings="$(MANWIDTH=80 man --warnings -l "$root$prefix/share/man/man1/$page.1.gz" 2>&1 > "$work/$page.txt")" \
    || fail "man -l $page.1 failed: $warnings"
  [ -z "$warnings" ] || { echo "$warnings"; fail "$page.1 renders with warnings"; }
  grep -q "^NAME" "$work/$page.txt" || fail "$page.1 renders without a NAME section"
done
# Every path of make install's prefix that a manual page names is installed.
for page in kestro kestro-dump; do
  for path in $(grep -oh "$prefix/share/[^ )]*" "man/$page.1" | sed 's/\\-/-/g' | sort -u); do
    [ -e "$root$path" ] || fail "man/$page.1 names $path, which make install does not install"
  done
done
echo "installed program: OK"
