# make run     - build the program, convert examples/ into out/examples.gpi and show what was written
# make test    - build everything and run the whole test suite
# make install - install the program, the inspector and their manual pages (PREFIX, DESTDIR)
# make deb     - build the Debian package kestro_VERSION_ARCH.deb in this folder
# make clean   - remove the build and output folders
# make html-report-png - the README's picture of the HTML report, docs/html-report.png,
#                made again from examples/ (with Chromium); a test fails while it is stale
# make windows, windows-zip, windows-test - the Windows programs (see below)
# make web, web-check - the browser page build-web/kestro.html (see below)

BUILD  := build
JOBS   := 2
PREFIX ?= /usr/local
MAKEFLAGS += --no-print-directory

.PHONY: run test build programs configure-programs configure-all install deb clean

# run, install and deb install and configure only what building the program
# needs; a build folder that was configured for the tests stays so.
configure-programs:
	@bash scripts/bootstrap run
	@if [ -f $(BUILD)/CMakeCache.txt ]; then cmake -S . -B $(BUILD) > /dev/null; \
	 else cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DKESTRO_TESTS=OFF -DKESTRO_BENCH=OFF > /dev/null; fi

configure-all:
	@bash scripts/bootstrap test
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DKESTRO_TESTS=ON -DKESTRO_BENCH=ON -DKESTRO_BUILD_HEADERS=ON > /dev/null

programs: configure-programs
	@cmake --build $(BUILD) -j$(JOBS) --target kestro kestro-dump

build: configure-all
	@cmake --build $(BUILD) -j$(JOBS)

# A summary of kestro-dump's outline: per group its points, icons and
# alerts, and per category the points that belong to it.
define SUMMARY_AWK
function plural(n, word) { return n " " word (n == 1 ? "" : "s") }
function flush(  i) {
    if (group == "") return
    printf "%s: %s, %s, %d with alerts\n", group, plural(points, "point"), plural(icons, "icon"), alerts
    for (i = 0; i < categories; i++) printf "  %-20s %s\n", name[i], plural(count[i] + 0, "point")
}
/^GPI file/ || /^POI header/ { print }
/^Group [0-9]+ @/ {
    flush(); line = $$0; sub(/^Group [0-9]+ @[^:]*: EN "/, "", line)
    group = line; sub(/", [0-9]+ points?$$/, "", group)
    points = line; sub(/^.*", /, "", points); points += 0
    icons = 0; alerts = 0; categories = 0; split("", name); split("", count)
}
/alert flag 1$$/ { alerts++ }
/^ +Category: [0-9]+$$/ { count[$$2]++ }
/^  Category [0-9]+ @/ {
    text = $$0; sub(/^  Category [0-9]+ @[^:]*: EN "/, "", text); sub(/"$$/, "", text)
    name[$$2] = text; if ($$2 + 1 > categories) categories = $$2 + 1
}
/^  Bitmap [0-9]+ @/ { icons++ }
END { flush() }
endef
export SUMMARY_AWK

run: programs
	@mkdir -p out
	./$(BUILD)/kestro examples out/examples.gpi
	@echo
	@echo "What out/examples.gpi holds (every record: $(BUILD)/kestro-dump out/examples.gpi):"
	@./$(BUILD)/kestro-dump out/examples.gpi | awk "$$SUMMARY_AWK"
	@printf "kestro-dump --check: " && ./$(BUILD)/kestro-dump --check out/examples.gpi

# Where Emscripten is installed the tests also open the page (make web) in Chromium.
HAVE_EMCC := $(shell command -v emcc 2> /dev/null)

test: build $(if $(HAVE_EMCC),web)
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS) --timeout 300

install: programs
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

deb: programs
	@rm -rf $(BUILD)/package kestro_*.deb && cd $(BUILD) && cpack -G DEB -B package > /dev/null
	@cp $(BUILD)/package/kestro_*.deb . && ls kestro_*.deb

clean:
	rm -rf $(BUILD) $(WIN_BUILD) $(WEB_BUILD) out

.PHONY: html-report-png
html-report-png: programs
	@bash scripts/bootstrap test
	@bash scripts/html-report-picture $(BUILD)/kestro $(BUILD)/kestro-dump

# make windows     - cross-build kestro.exe and kestro-dump.exe into build-win/ (MinGW-w64, static)
# make windows-zip - pack kestro-VERSION-win64.zip: both programs, the examples, README-Windows.txt
# make windows-test - build the Windows unit tests and run them, and the comparison with the
#                     Linux build, under Wine
WIN_BUILD := build-win
WIN_CONFIGURE = cmake -S . -B $(WIN_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
	-DKESTRO_BENCH=OFF -DKESTRO_LINUX_BUILD=$(CURDIR)/$(BUILD)

.PHONY: windows windows-zip windows-test windows-configure

windows-configure:
	@bash scripts/bootstrap-windows
	@$(WIN_CONFIGURE) > /dev/null

windows: windows-configure
	@cmake --build $(WIN_BUILD) -j$(JOBS) --target kestro kestro-dump

windows-zip: windows
	@bash scripts/windows-zip $(WIN_BUILD)

windows-test: windows-configure programs
	@cmake --build $(WIN_BUILD) -j$(JOBS)
	cd $(WIN_BUILD) && WINEPREFIX=$(CURDIR)/$(WIN_BUILD)/wineprefix WINEDEBUG=-all \
		ctest --output-on-failure --timeout 900

# make web       - build-web/kestro.html with Debian's Emscripten: the program for the
#                  browser in one self-contained page (open it from disk; it loads
#                  nothing from the network). make test opens it in Chromium.
# make web-check - the browser build's kestro-dump (a script for Node.js) against the
#                  native one on examples/ converted: every output the same bytes
WEB_BUILD := build-web
# Debian's Emscripten finds its Node.js modules there when the machine's node is another one.
WEB_ENV := NODE_PATH=/usr/share/nodejs

.PHONY: web web-check

.PHONY: web-configure

web-configure:
	@bash scripts/bootstrap web
	@$(WEB_ENV) cmake -S . -B $(WEB_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake -DCMAKE_BUILD_TYPE=Release \
		-DKESTRO_TESTS=OFF -DKESTRO_BENCH=OFF -DKESTRO_BUILD_HEADERS=OFF > /dev/null

web: web-configure
	@$(WEB_ENV) cmake --build $(WEB_BUILD) -j$(JOBS) --target kestro-html
	@ls -l $(WEB_BUILD)/kestro.html

web-check: web-configure programs
	@$(WEB_ENV) cmake --build $(WEB_BUILD) -j$(JOBS) --target kestro-dump
	@bash scripts/web-compare
