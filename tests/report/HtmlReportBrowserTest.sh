#!/usr/bin/env bash
# Opens kestro-dump's HTML reports in headless Chromium: the report of
# examples/, of a file with hostile texts, and of a generated file of 100,000
# points. After the page's script has run, the DOM must show the groups,
# categories and points that kestro-dump's outline counts, the page's ready
# marker, no script error, and hostile texts only as text. Screenshots stay
# in OUT (CI keeps them with the build).
#
#   HtmlReportBrowserTest.sh KESTRO KESTRO_DUMP GPX_GENERATOR OUT
# Run from the source root (the examples link their icons relative to it).
set -euo pipefail
kestro=$1 dump=$2 generator=$3 out=$4
chromium=$(command -v chromium || true)
if [ -z "$chromium" ]; then
  if [ "${CI:-}" = true ]; then echo "FAIL: chromium is missing; scripts/bootstrap installs it"; exit 1; fi
  echo "SKIP: chromium is not installed (scripts/bootstrap installs it)"
  exit 77
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/kestro-browser.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

fail() { echo "FAIL: $*"; exit 1; }
matches() { grep -o -- "$1" "$2" | wc -l || true; }

# browser ARGS...: one headless run with a fresh profile, under a time limit.
# The networking flags keep it from calling out of a closed machine; a small
# /dev/shm (as in containers) must not make the renderer fail on a large page.
browser() {
  local profile
  profile=$(mktemp -d "$work/profile.XXXXXX")
  timeout 120 "$chromium" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync --disable-dev-shm-usage \
    --user-data-dir="$profile" "$@" 2>>"$work/browser.log" || fail "chromium failed or timed out: $(tail -n 5 "$work/browser.log")"
}

# check NAME GPI HTML: the page's DOM against the outline of the same file.
check() {
  local name=$1 gpi=$2 html=$3 dom=$work/$1.dom outline=$work/$1.outline
  "$dump" --html "$html" "$gpi" || fail "$name: kestro-dump --html failed"
  "$dump" "$gpi" > "$outline"
  browser --dump-dom "file://$html" > "$dom"
  grep -q 'data-ready-ms="[0-9]*"' "$dom" || fail "$name: the page's script did not finish"
  if grep -q 'data-error=' "$dom"; then fail "$name: script error: $(grep -o 'data-error="[^"]*"' "$dom")"; fi
  local groups categories points rows
  groups=$(grep -c '^Group [0-9]* @' "$outline" || true)
  categories=$(grep -c '^  Category [0-9]* @' "$outline" || true)
  points=$(grep -c '^ *Point @' "$outline" || true)
  rows=$(( points < 200 ? points : 200 ))  # the table lists 200 rows at first
  [ "$(matches '<section class="group"' "$dom")" -eq "$groups" ] || fail "$name: not $groups group sections"
  [ "$(matches '<li data-category="[0-9]' "$dom")" -eq "$categories" ] || fail "$name: not $categories categories in the legends"
  grep -q "<span id=\"row-count\" data-matches=\"$points\">" "$dom" || fail "$name: the table does not count $points points"
  [ "$(matches '<tr data-group="[0-9]*" data-point=' "$dom")" -eq "$rows" ] || fail "$name: not $rows point rows"
  echo "$name: $groups groups, $categories categories, $points points, $rows rows;" \
       "ready $(grep -o 'data-ready-ms="[0-9]*"' "$dom" | tr -dc 0-9) ms after the start of loading"
}

"$kestro" examples "$work/examples.gpi" > /dev/null
check examples "$work/examples.gpi" "$out/examples.html"
# The first hut carries a photo: "#point-4-1" opens the page with its details shown.
browser --dump-dom --virtual-time-budget=3000 "file://$out/examples.html#point-4-1" > "$work/details.dom"
if grep -q 'data-error=' "$work/details.dom"; then fail "details: script error"; fi
for part in '<h2>Luční bouda</h2>' 'City: Pec pod Sněžkou' '<img class="icon" src="data:image/bmp;base64,' \
            '<img class="photo" src="data:image/jpeg;base64,'; do
  grep -qF "$part" "$work/details.dom" || fail "details: $part is missing"
done
# A point the file does not have is ignored: the page works as without the fragment.
for fragment in point-0-1 point-1-0 point-9-1 point-1-99999; do
  browser --dump-dom --virtual-time-budget=3000 "file://$out/examples.html#$fragment" > "$work/fragment.dom"
  grep -q 'data-ready-ms="[0-9]*"' "$work/fragment.dom" || fail "#$fragment: the page's script did not finish"
  if grep -q 'data-error=' "$work/fragment.dom"; then fail "#$fragment: script error"; fi
done
browser --screenshot="$out/examples.png" --window-size=1400,1000 --virtual-time-budget=3000 \
  "file://$out/examples.html#point-4-1" > /dev/null

# Markup and script in names, comments, group and category names must stay text.
hostile="$work/hostile/<b onmouseover=x>\"'&"
mkdir -p "$hostile"
attack="document.documentElement.setAttribute('data-pwned','1')"
cat > "$hostile/cat<svg onload=x>.gpx" <<GPX
<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1">
 <wpt lat="50.1" lon="14.4"><name>&lt;img src=x onerror="$attack"&gt;</name>
  <cmt>&lt;/script&gt;&lt;script&gt;$attack&lt;/script&gt;</cmt></wpt>
 <wpt lat="50.2" lon="14.5"><name>&#x1;&#x7F;'"&amp;&#x2028;</name></wpt>
</gpx>
GPX
# A waypoint at 0, 0 is not written: a group without points, whose map is empty.
mkdir -p "$work/hostile/Zero"
printf '<gpx version="1.1" xmlns="http://www.topografix.com/GPX/1/1"><wpt lat="0" lon="0"/></gpx>\n' > "$work/hostile/Zero/z.gpx"
"$kestro" "$work/hostile" "$work/hostile.gpi" > /dev/null
check hostile "$work/hostile.gpi" "$work/hostile.html"
if grep -q 'data-pwned="1"' "$work/hostile.dom"; then fail "hostile: a text ran as script"; fi
grep -q '<td>&lt;img src=x onerror=' "$work/hostile.dom" || fail "hostile: the name is not shown as text"

# Texts in two languages: the page opens in the first, the point's details
# too; "#language-EN" shows every text in English, and marks the texts that
# are the first language's (a group and a point without English texts).
mkdir -p "$work/languages/Метро"
printf '[kestro]\ncodepage=65001\nlanguages=RU,EN\n[EN]\nМетро = Metro\nМетро/Станции = Stations\n' > "$work/languages/kestro.ini"
cat > "$work/languages/Метро/Станции.gpx" <<GPX
<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" xmlns="http://www.topografix.com/GPX/1/1" xmlns:kestro="urn:kestro:gpx-languages:1">
 <wpt lat="59.83" lon="30.50"><name>Рыбацкое</name><cmt>Станция</cmt>
  <extensions><kestro:name lang="EN">Rybatskoye</kestro:name><kestro:cmt lang="EN">Station</kestro:cmt></extensions></wpt>
</gpx>
GPX
printf '<gpx version="1.1" xmlns="http://www.topografix.com/GPX/1/1"><wpt lat="59.83" lon="30.38"><name>Купчино</name></wpt></gpx>\n' \
  > "$work/languages/Купчино.gpx"
"$kestro" "$work/languages" "$work/languages.gpi" > /dev/null 2>&1
check languages "$work/languages.gpi" "$work/languages.html"
browser --dump-dom --virtual-time-budget=3000 "file://$work/languages.html#point-1-1" > "$work/languages-ru.dom"
for part in '<td>Рыбацкое</td>' '<h2>Рыбацкое</h2>' '<dd>Станция</dd>' '<option>RU</option>'; do
  grep -qF "$part" "$work/languages-ru.dom" || fail "languages: $part is missing in the first language (the page's first state)"
done
if grep -qF 'class="fallback"' "$work/languages-ru.dom"; then fail "languages: a text of the first language is marked in it"; fi
browser --dump-dom --virtual-time-budget=3000 "file://$work/languages.html#point-1-1&language-EN" > "$work/languages-en.dom"
if grep -q 'data-error=' "$work/languages-en.dom"; then fail "languages: script error"; fi
for part in '<option>EN</option>' '>Metro</a>' 'Group 1: <span class="group-name">Metro</span>' '<td>Rybatskoye</td>' \
            '<td>Stations</td>' '<span>Stations</span><b>' '<h2>Rybatskoye</h2>' '<dd>1: Metro</dd>' '<dd>Station</dd>' \
            '<td class="fallback" title="as in RU, the first language">Купчино</td>' \
            '<span class="group-name fallback" title="as in RU, the first language">Купчино</span>' \
            ': as in RU, the first language (no text of its own in EN, or the same)'; do
  grep -qF "$part" "$work/languages-en.dom" || fail "languages: $part is missing in English"
done
if grep -qF '<td>Рыбацкое</td>' "$work/languages-en.dom"; then fail "languages: the table kept the first language"; fi
[ "$(matches '<td class="fallback" title="as in RU, the first language">Купчино</td>' "$work/languages-en.dom")" -eq 2 ] ||
  fail "languages: the row of Купчино is not marked as the first language's in its group and name"

# A group of one point, opened with the point chosen (zoomed in): the
# latitude labels, with five decimals, fit left of the map.
mkdir -p "$work/one"
printf '<gpx version="1.1" xmlns="http://www.topografix.com/GPX/1/1"><wpt lat="-33.868812" lon="151.209295"><name>One</name></wpt></gpx>\n' \
  > "$work/one/one.gpx"
"$kestro" "$work/one" "$work/one.gpi" > /dev/null
"$dump" --html "$work/one.html" "$work/one.gpi"
browser --dump-dom --virtual-time-budget=3000 "file://$work/one.html#point-1-1" > "$work/one.dom"
left=$(grep -o 'data-plot-left="[0-9]*"' "$work/one.dom" | tr -dc 0-9)
label=$(grep -o 'data-label-width="[0-9]*"' "$work/one.dom" | tr -dc 0-9)
[ -n "$left" ] && [ -n "$label" ] || fail "one point: the map tells no plot edge or label width"
[ $((label + 6)) -le "$left" ] || fail "one point: latitude labels $label pixels wide, the plot begins at $left"
echo "one point zoomed in: latitude labels $label pixels wide, the plot begins at $left"
browser --screenshot="$out/one-point.png" --window-size=1400,1000 --virtual-time-budget=3000 \
  "file://$work/one.html#point-1-1" > /dev/null

"$generator" 100000 "$work/many" > /dev/null
"$kestro" "$work/many" "$work/many.gpi" > /dev/null
check points-100k "$work/many.gpi" "$work/many.html"
browser --screenshot="$out/points-100k.png" --window-size=1400,1000 --virtual-time-budget=5000 \
  "file://$work/many.html" > /dev/null
echo "screenshots: $out/examples.png $out/points-100k.png"
