# Wraps CMake. `make run` and `make test` set everything up on a fresh Debian 12 machine.
BUILD        ?= build
ASAN_BUILD   ?= build-asan
TSAN_BUILD   ?= build-tsan
DEB_BUILD    ?= build-deb
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS         ?= $(shell nproc)
PREFIX       ?= /usr/local

# What make run starts: the window, the command line, and the makers of its sample disc.
RUN_PROGRAMS = splitwick splitwick-cli splitwick-make-evo splitwick-make-xpl

# The window's tests, whose jobs run on its worker thread.
UI_TESTS = test_main_window test_file_selection test_settings test_settings_store \
           test_window_jobs test_window_xpl_rebuild test_window_mkv test_window_disc

.PHONY: all deps configure build test test-asan test-tsan fuzz run bench install deb deb-test clean

all: build

deps:
	@scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSPLITWICK_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Any race ThreadSanitizer reports fails the test it happens in.
test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSPLITWICK_TSAN=ON
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target $(UI_TESTS)
	cd $(TSAN_BUILD) && QT_QPA_PLATFORM=offscreen \
	  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/tests/ui/tsan.supp" \
	  ctest --output-on-failure -j $(JOBS) -R '^test_'

fuzz:
	@scripts/install-deps fuzz
	@scripts/fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Only the programs it runs: the tests are built by make test.
run: configure
	cmake --build $(BUILD) -j $(JOBS) --target $(RUN_PROGRAMS)
	@scripts/run-sample $(BUILD)

bench: build
	@bench/run $(BUILD)

# PREFIX and DESTDIR as usual: make install PREFIX=/usr DESTDIR=/tmp/root
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, built with all of Debian's hardening flags and without the tests.
deb: export DEB_BUILD_MAINT_OPTIONS = hardening=+all
deb: deps
	cmake -S . -B $(DEB_BUILD) -DCMAKE_BUILD_TYPE=Release -DSPLITWICK_TESTS=OFF \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	  -DCMAKE_SHARED_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	  -DCMAKE_MODULE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)"
	cmake --build $(DEB_BUILD) -j $(JOBS)
	cd $(DEB_BUILD) && cpack

# Installs the package on this machine and removes it again: needs root, so not in make test.
deb-test: deb
	@scripts/deb-test $(DEB_BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(DEB_BUILD) $(FUZZ_BUILD) sample
