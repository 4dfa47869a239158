#!/usr/bin/env bash
# The licence: LICENSE holds the MIT text naming the Kestro developers, the
# package's copyright file carries the same text, the README's last section
# and the Windows zip name it.
set -uo pipefail
cd "$(dirname "$0")/../.."
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
grep -qx 'MIT License' LICENSE || fail "LICENSE is not the MIT text"
grep -qx 'Copyright (c) [0-9]* the Kestro developers' LICENSE || fail "LICENSE does not name the Kestro developers"
# The copyright file's Expat paragraph, unindented, is LICENSE from "Permission" on.
diff <(sed -n '/^Permission is hereby granted/,$p' LICENSE) \
     <(awk '/^License: Expat$/ { body = 1; text = ""; next } body && /^ / { line = substr($0, 2); print (line == "." ? "" : line); next } { body = 0 }' package/copyright | sed -n '/^Permission/,$p') ||
  fail "package/copyright does not carry the text of LICENSE"
grep -q '^Files: \*$' package/copyright && grep -q '^License: Expat$' package/copyright || fail "package/copyright gives no licence for every file"
grep -q 'the Kestro developers' package/copyright || fail "package/copyright does not name the Kestro developers"
last_section="$(awk '/^## / { title = $0; text = "" } { text = text $0 "\n" } END { printf "%s", text }' README.md)"
case "$last_section" in "## Licence"*MIT*LICENSE*) ;; *) fail "the README's last section is not the licence";; esac
grep -q 'LICENSE.*LICENSE.txt' scripts/windows-zip || fail "the Windows zip does not carry LICENSE"
echo "licence: $failures failures"
[ "$failures" -eq 0 ]
