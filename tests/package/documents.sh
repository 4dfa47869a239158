#!/usr/bin/env bash
# What the documents quote of the program is what it prints: the usage line
# of its banner (README, manual page), and the exit codes of its help in
# README-Windows.txt, which travels without the manual.
# Usage: documents.sh KESTRO
set -uo pipefail
kestro="$(realpath "$1")"
cd "$(dirname "$0")/../.."
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
flat() { tr -s ' \n\r' '  '; }

usage=$("$kestro" 2>&1 | grep '^Usage: ' || true)
[ "$usage" = "Usage: kestro <source_path> <destination_file>" ] || fail "the banner's usage line is \"$usage\""
grep -qF "$usage" README.md || fail "README.md does not quote the usage line \"$usage\""
grep -qF "${usage//-/\\-}" man/kestro.1 || fail "man/kestro.1 does not quote the usage line \"$usage\""

codes=$("$kestro" --help | flat | grep -o 'Exit codes: [^.]*' | sed 's/^Exit codes: //')
[ -n "$codes" ] || fail "kestro --help lists no exit codes"
flat < package/README-Windows.txt | grep -qF "$codes" || fail "package/README-Windows.txt does not list the exit codes \"$codes\""
echo "documents: $failures failures"
[ "$failures" -eq 0 ]
