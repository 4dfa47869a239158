# make run   - build, convert examples/ into out/examples.gpi and show what was written
# make test  - build and run the whole test suite
# make clean - remove the build and output folders

BUILD := build
JOBS  := 2
MAKEFLAGS += --no-print-directory

.PHONY: run test build bootstrap clean

bootstrap:
	@bash scripts/bootstrap

build: bootstrap
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release > /dev/null
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	@mkdir -p out
	./$(BUILD)/kestro examples out/examples.gpi
	@echo
	@echo "out/examples.gpi:"
	@od -A d -t x1 out/examples.gpi

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS) --timeout 300

clean:
	rm -rf $(BUILD) out
