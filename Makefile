# Wraps CMake. `make run` and `make test` set everything up on a fresh Debian 12 machine.
BUILD        ?= build
ASAN_BUILD   ?= build-asan
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS         ?= $(shell nproc)

.PHONY: all deps build test test-asan fuzz run bench clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSPLITWICK_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

fuzz:
	@scripts/install-deps fuzz
	@scripts/fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS)

run: build
	@scripts/run-sample $(BUILD)

bench: build
	@bench/run $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) sample
