# Ostrel: `make run` builds and starts the editor, `make test` builds and runs every test.
# Both install the Debian packages they need first.

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
BUILD := build
ASAN_BUILD := build-asan
FUZZ_BUILD := build-fuzz
MAP ?=
FUZZ_SECONDS ?= 60

.PHONY: all deps build run test test-plain test-asan fuzz fuzz-build bench screenshot golden clean

all: build

deps:
	@tools/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# Runs in the folder where make ran, so that relative names given to "?save" and "?go" land
# there; the editor finds graphics/ next to its executable.
run: build
	@echo "ostrel: built with SDL $$(pkg-config --modversion sdl 2>/dev/null || sdl-config --version)"
	$(BUILD)/run/ostrel $(if $(MAP),"$(MAP)")

test-plain: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# A malloc the memory limit refuses returns null under the sanitizer too, as the readers expect.
test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DOSTREL_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS)

fuzz-build: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DOSTREL_FUZZ=ON -DOSTREL_UI=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)

# A short fuzzing run of every target, seeded from fuzz/corpus and the shared test maps.
fuzz: fuzz-build
	@tools/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The sanitizer pass runs last so that the output ends with CTest's summary.
test: test-plain fuzz test-asan

# Rewrites the stored frames in tests/golden/ after an intended change to what is drawn;
# review the changed images (git diff shows them) before committing.
golden: build
	cd $(BUILD)/tests && OSTREL_GOLDEN_UPDATE=1 SDL_VIDEODRIVER=dummy ./test_frames

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

# The README screenshot, on a map drawn in code with the built-in tileset, under Xvfb.
screenshot: build
	@bash tools/screenshot.sh $(BUILD) docs/ostrel.png

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
