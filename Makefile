# Everything a fresh Debian 12 machine needs: `make run` and `make test` install the build
# packages that are missing, configure, build, and then start the program or run all tests.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test test-unit test-e2e bench format clean screenshot sanitize package fuzz

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
		echo "No display: run 'make run' from a desktop session (or set DISPLAY)."; exit 1; fi
	$(BUILD)/bin/moxeno-trellin

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

test-unit: build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS) -LE e2e

test-e2e: build
	ctest --test-dir $(BUILD) --output-on-failure -L e2e

bench: deps
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DTRELLIN_BUILD_BENCH=ON -DTRELLIN_BUILD_TESTS=OFF
	cmake --build $(BUILD)-bench -j$(JOBS) --target benchmarks
	$(MAKE) -C . bench-run BUILD=$(BUILD)-bench

# Each benchmark runs in its own private X session (Xvfb + openbox); their BENCHROW lines make
# one table, printed and written into docs/performance.md.
bench-run:
	scripts/bench-table.sh $(BUILD) docs/performance.md

sanitize: deps
	cmake -S . -B $(BUILD)-asan -DTRELLIN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(BUILD)-asan -j$(JOBS)
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp ctest --test-dir $(BUILD)-asan --output-on-failure -j$(JOBS)

# The Debian package, in $(BUILD)/package/.
package: build
	cmake --build $(BUILD) --target package

# libFuzzer targets built with clang, AddressSanitizer and UndefinedBehaviorSanitizer, each run
# for FUZZ_SECONDS (make fuzz FUZZ_SECONDS=600 for a long run; FUZZ_TARGETS=fuzz_calculator for one).
# An input that takes longer than FUZZ_TIMEOUT seconds counts as a hang.
FUZZ_SECONDS ?= 30
FUZZ_TARGETS ?=
FUZZ_TIMEOUT ?= 30
fuzz: deps
	@scripts/install-deps.sh fuzz
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)-fuzz -DTRELLIN_BUILD_FUZZ=ON -DTRELLIN_BUILD_TESTS=OFF
	cmake --build $(BUILD)-fuzz -j$(JOBS) --target fuzzers
	FUZZ_TIMEOUT=$(FUZZ_TIMEOUT) scripts/run-fuzz.sh $(BUILD)-fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

screenshot: build
	scripts/screenshot.sh $(BUILD)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(BUILD)-bench $(BUILD)-asan $(BUILD)-fuzz
