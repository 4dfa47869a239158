#!/usr/bin/env bash
# The end-to-end cases every other build of the program is compared with
# the Linux one on (the Windows build under Wine, the page in Chromium): the
# examples, the shared folder's GPX files, and folders made here (texts in
# several code pages, links, many points, CSV lists, languages, bad input).
# Usage: make-cases.sh CASES_FOLDER (made afresh; one sub-folder per case)
# The shared folder's GPX files are included when KESTRO_SHARED or ../shared
# beside the source tree holds them; with KESTRO_REQUIRE_SHARED=1 a missing
# one fails.
set -uo pipefail
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
shared="${KESTRO_SHARED:-$source_dir/../shared}"
cases="$1"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
rm -rf "$cases" && mkdir -p "$cases"

cp -r "$source_dir/examples" "$cases/examples"
if [ -d "$shared/data/peer/gpx" ]; then
  for gpx in "$shared"/data/peer/gpx/*.gpx; do
    name="peer-$(basename "$gpx" .gpx | tr -c 'A-Za-z0-9_\n' '_')"
    mkdir -p "$cases/$name" && cp "$gpx" "$cases/$name/"
  done
elif [ "${KESTRO_REQUIRE_SHARED:-0}" = 1 ]; then
  fail "the shared folder $shared is missing"
else
  echo "note: $shared is missing; its GPX and GPI files are left out"
fi
gpx_file() {  # gpx_file PATH ENCODING NAME...
  local path="$1" encoding="$2"; shift 2
  mkdir -p "$(dirname "$path")"
  { echo "<?xml version=\"1.0\" encoding=\"$encoding\"?>"
    echo '<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1">'
    local i=0
    for name in "$@"; do
      echo "<wpt lat=\"50.$((10 + i))\" lon=\"14.$((40 + i))\"><name>$name</name><desc>$name desc</desc></wpt>"
      i=$((i + 1))
    done
    echo '</gpx>'; } > "$path"
}
# Names in Czech, Cyrillic and beyond any 8-bit code page, in folder and file names too.
gpx_file "$cases/unicode/Žluťoučký kůň/Кафе.gpx" UTF-8 "Kavárna U Žluťoučkého koně" "Кафе Пушкин" "茶館"
gpx_file "$cases/unicode/Žluťoučký kůň/čerpací stanice.gpx" UTF-8 "Benzina Říčany"
gpx_file "$cases/unicode/ηλίου.gpx" UTF-8 "Ήλιος"
gpx_file "$cases/cp1250/Chaty/chaty.gpx" UTF-8 "Chata pod Sněžkou" "Кафе"
printf '[kestro]\ncodepage=1250\n' > "$cases/cp1250/kestro.ini"
gpx_file "$cases/cp1251/Кафе.gpx" UTF-8 "Кафе Пушкин" "Kavárna"
printf '[kestro]\ncodepage=1251\n' > "$cases/cp1251/kestro.ini"
gpx_file "$cases/utf8/Кафе.gpx" UTF-8 "Кафе Пушкин" "茶館"
printf '[kestro]\ncodepage=65001\n' > "$cases/utf8/kestro.ini"
gpx_file "$cases/latin2/Hrady.gpx" ISO-8859-2 "$(printf 'Hrad \xe8esk\xfd')"
# Names that differ only in letter case are two files, listed in one order.
gpx_file "$cases/letter-case/Cafe.gpx" UTF-8 "Upper"
gpx_file "$cases/letter-case/cafe.gpx" UTF-8 "lower"
gpx_file "$cases/letter-case/CAFE/b.gpx" UTF-8 "folder"
# A link with backslashes, to an icon in a sub-folder; one to a missing icon.
mkdir -p "$cases/links/Icons/icons"
cp "$source_dir/examples/Fuel/fuel.bmp" "$cases/links/Icons/icons/fuel.bmp"
cat > "$cases/links/Icons/fuel.gpx" <<'GPX'
<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1">
<wpt lat="50.1" lon="14.4"><name>Pump</name><link href="icons\fuel.bmp"/></wpt>
<wpt lat="50.2" lon="14.5"><name>Missing</name><link href="icons\none.bmp"/></wpt>
</gpx>
GPX
# Many points spread at random: the store's R-tree decides their order in
# the leaves, so a SQLite version that orders them otherwise shows here.
mkdir -p "$cases/many/Points"
awk 'BEGIN { srand(7); print "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" creator=\"t\">";
  for (i = 0; i < 20000; i++) printf "<wpt lat=\"%.6f\" lon=\"%.6f\"><name>P%d</name></wpt>\n", 35 + rand() * 20, -10 + rand() * 40, i;
  print "</gpx>" }' > "$cases/many/Points/points.gpx"
# CSV lists as a category folder of their own, and one as a group.
mkdir -p "$cases/csv/Cameras"
printf '14.42891,50.06453,Nuselsky most,Both ways\r\n16.60842,49.19581,Husova\n' > "$cases/csv/Cameras/speed_50.csv"
printf 'Name;Lat;Lon;Speed\nMost;50.1;14.4;60\n' > "$cases/csv/Cameras/mixed.csv"
printf 'lat,lon,name,desc\n50.7,15.6,Chata \xe9,Open\n' > "$cases/csv/Huts.csv"
# Texts in two languages: folder names from kestro.ini, point texts from extension elements.
mkdir -p "$cases/languages/Метро"
printf '[kestro]\ncodepage=65001\nlanguages=RU,EN\n[EN]\nМетро = Metro\nМетро/Станции = Stations\n' > "$cases/languages/kestro.ini"
cat > "$cases/languages/Метро/Станции.gpx" <<'GPX'
<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" xmlns="http://www.topografix.com/GPX/1/1" xmlns:kestro="urn:kestro:gpx-languages:1">
 <wpt lat="59.83" lon="30.50"><name>Рыбацкое</name><cmt>Станция</cmt>
  <extensions><kestro:name lang="EN">Rybatskoye</kestro:name><kestro:cmt lang="EN">Station</kestro:cmt></extensions></wpt>
</gpx>
GPX
# Bad input: a cut document, an unknown code page.
mkdir -p "$cases/bad-xml" "$cases/bad-codepage"
printf '<?xml version="1.0"?>\n<gpx><wpt lat="1" lon="2"><name>cut' > "$cases/bad-xml/cut.gpx"
gpx_file "$cases/bad-codepage/a.gpx" UTF-8 "A"
printf '[kestro]\ncodepage=12345\n' > "$cases/bad-codepage/kestro.ini"

[ "$failures" -eq 0 ]
