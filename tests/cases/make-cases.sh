#!/usr/bin/env bash
# The end-to-end cases every other build of the program is compared with
# the Linux one on (the Windows build under Wine, the page in Chromium): the
# examples, the shared folder's GPX files, and folders made here (texts in
# several code pages, links, many points, CSV lists, languages, WebP photos,
# KML and KMZ files, bad input).
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
# WebP photos, lossy, lossy with alpha and lossless: every build decodes
# them with Debian's libwebp (the system's, or its pinned source compiled
# in); the JPEGs made of the pixels must be the same bytes.
mkdir -p "$cases/webp/Photos"
cp "$source_dir"/tests/images/pictures/*.webp "$cases/webp/Photos/"
cat > "$cases/webp/Photos/photos.gpx" <<'GPX'
<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1">
<wpt lat="50.1" lon="14.4"><name>Lossy</name><link href="lossy.webp"/></wpt>
<wpt lat="50.2" lon="14.5"><name>Alpha</name><link href="lossy-alpha.webp"/></wpt>
<wpt lat="50.3" lon="14.6"><name>Lossless</name><link href="lossless.webp"/></wpt>
</gpx>
GPX
# A map service's KMZ: folders as categories, styles (one through a
# StyleMap) whose icons lie inside the archive, a BMP stored and a WebP
# deflated, an unnamed point, a line and a polygon that are not points; and
# the same document as a loose KML, whose icons are missing.
parts=$(mktemp -d "${TMPDIR:-/tmp}/kestro-kmz.XXXXXX")
mkdir -p "$cases/kmz/Trip"
cat > "$parts/doc.kml" <<'KML'
<?xml version="1.0" encoding="UTF-8"?>
<kml xmlns="http://www.opengis.net/kml/2.2"><Document><name>Prague trip</name>
<Style id="fuel"><IconStyle><Icon><href>images/fuel.bmp</href></Icon></IconStyle></Style>
<Style id="photo"><IconStyle><Icon><href>images/photo.webp</href></Icon></IconStyle></Style>
<StyleMap id="cafe"><Pair><key>normal</key><styleUrl>#photo</styleUrl></Pair><Pair><key>highlight</key><styleUrl>#fuel</styleUrl></Pair></StyleMap>
<Placemark><name>Start</name><Point><coordinates>14.42,50.08,0</coordinates></Point></Placemark>
<Folder><name>Cafés</name>
<Placemark><name>Kavárna Slavia</name><description><![CDATA[<b>Open</b> daily]]></description><styleUrl>#cafe</styleUrl>
<ExtendedData><Data name="phone"><value>+420 224 218 493</value></Data></ExtendedData>
<Point><coordinates>14.4136,50.0815</coordinates></Point></Placemark>
<Placemark><styleUrl>#cafe</styleUrl><Point><coordinates>14.4201,50.0870</coordinates></Point></Placemark>
</Folder>
<Folder><name>Fuel</name>
<Placemark><name>Benzina</name><styleUrl>#fuel</styleUrl><Point><coordinates>14.45,50.05</coordinates></Point></Placemark>
<Placemark><name>Walk</name><LineString><coordinates>14.41,50.08 14.42,50.09</coordinates></LineString></Placemark>
<Placemark><name>Park</name><Polygon/></Placemark>
</Folder>
</Document></kml>
KML
head -c 300 "$source_dir/tests/images/pictures/lossy.webp" > "$parts/cut.webp"
kmz() {  # kmz ARCHIVE NAME=FILE[:stored]...
  perl -MIO::Compress::Zip=:all -e '
    my $archive = shift @ARGV;
    my $zip;
    for (@ARGV) {
      my ($name, $file, $stored) = /^([^=]+)=([^:]+)(:stored)?$/ or die "kmz: $_";
      my %how = (Name => $name, Time => 1700000000, Method => $stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE);
      if ($zip) { $zip->newStream(%how) or die } else { $zip = IO::Compress::Zip->new($archive, %how) or die }
      open my $in, "<:raw", $file or die "$file: $!";
      local $/;
      $zip->print(scalar <$in>);
    }
    $zip->close or die;' "$@"
}
kmz "$cases/kmz/Trip/Prague trip.kmz" "doc.kml=$parts/doc.kml" "images/fuel.bmp=$source_dir/examples/Fuel/fuel.bmp:stored" \
  "images/photo.webp=$source_dir/tests/images/pictures/lossy-alpha.webp"
cp "$parts/doc.kml" "$cases/kmz/Prague.kml"
# Damaged archives beside a good GPX: cut short, a flipped byte in the
# deflated document, a cut WebP icon, not a zip at all. Each is said, the
# run goes on.
mkdir -p "$cases/kmz-damaged/Places"
gpx_file "$cases/kmz-damaged/Places/good.gpx" UTF-8 "Good"
good="$cases/kmz/Trip/Prague trip.kmz"
head -c "$(($(stat -c %s "$good") / 2))" "$good" > "$cases/kmz-damaged/Places/cut.kmz"
cp "$good" "$cases/kmz-damaged/Places/flipped.kmz"
printf '\377' | dd of="$cases/kmz-damaged/Places/flipped.kmz" bs=1 seek=200 conv=notrunc status=none
kmz "$cases/kmz-damaged/Places/bad icon.kmz" "doc.kml=$parts/doc.kml" "images/fuel.bmp=$source_dir/examples/Fuel/fuel.bmp" \
  "images/photo.webp=$parts/cut.webp"
echo 'not an archive' > "$cases/kmz-damaged/Places/text.kmz"
rm -rf "$parts"
# Bad input: a cut document, an unknown code page.
mkdir -p "$cases/bad-xml" "$cases/bad-codepage"
printf '<?xml version="1.0"?>\n<gpx><wpt lat="1" lon="2"><name>cut' > "$cases/bad-xml/cut.gpx"
gpx_file "$cases/bad-codepage/a.gpx" UTF-8 "A"
printf '[kestro]\ncodepage=12345\n' > "$cases/bad-codepage/kestro.ini"

[ "$failures" -eq 0 ]
