#!/usr/bin/env bash
# The page (build-web/kestro.html, `make web`) in headless Chromium, opened
# from disk: every end-to-end case (tests/cases/make-cases.sh) converted
# through window.kestro.convert must give the native program's bytes (time
# stamp aside), exit code and lines; one run goes through the real folder
# input, a changed setting, the Convert button and the download. Skipped where the page was
# not built (Emscripten missing), except under KESTRO_REQUIRE_WEB=1.
#
#   page-test.sh KESTRO PAGE
set -euo pipefail
kestro=$(realpath "$1") page=$2
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
if [ ! -f "$page" ]; then
  if [ "${KESTRO_REQUIRE_WEB:-0}" = 1 ]; then echo "FAIL: $page is missing (make web builds it)"; exit 1; fi
  echo "SKIP: $page is missing: the page is built by make web, with Emscripten installed"
  exit 77
fi
chromium=$(command -v chromium || true)
[ -n "$chromium" ] || { echo "FAIL: chromium is missing; scripts/bootstrap installs it"; exit 1; }
node_path=$(bash "$source_dir/scripts/fetch-playwright")
work=$(mktemp -d "${TMPDIR:-/tmp}/kestro-page.XXXXXX")
trap 'rm -rf "$work"' EXIT

bash "$source_dir/tests/cases/make-cases.sh" "$work/cases"
# The native program on every case, from a folder of its own like the page's.
mkdir -p "$work/native"
for case_dir in "$work/cases"/*/; do
  name=$(basename "$case_dir")
  cp -r "$case_dir" "$work/native/$name"
  status=0
  (cd "$work/native" && "$kestro" "$name" "$name.gpi" > "$name.out" 2>&1) || status=$?
  echo "$status" > "$work/native/$name.rc"
done
# The folder input's run changes maxregion on the page: the native run with that kestro.ini.
mkdir -p "$work/native-settings"
cp -r "$work/cases/examples" "$work/native-settings/examples"
sed -i 's/^maxregion=4$/maxregion=3/' "$work/native-settings/examples/kestro.ini"
(cd "$work/native-settings" && "$kestro" examples examples.gpi > /dev/null)
NODE_PATH="$node_path" node "$source_dir/tests/web/page-test.js" "$(realpath "$page")" "$work" "$chromium"
