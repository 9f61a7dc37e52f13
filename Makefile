# The two everyday commands: `make run` and `make test`. Each installs what it lacks first,
# and only what its purpose needs (scripts/ensure-deps.sh): building and running the program
# (run, install, package), testing it (test, unit, asan, tsan, valgrind, fuzz, bench), or
# the house style (format, format-check: clang-format alone).
BUILD_DIR ?= build
BUILD_TYPE ?= Debug
# WERROR=ON (as CI builds) turns every compiler warning into an error.
WERROR ?= OFF

.PHONY: all build-deps test-deps format-deps configure build test unit run install package asan tsan valgrind fuzz bench format format-check clean

all: build

build-deps:
	@./scripts/ensure-deps.sh build

test-deps:
	@./scripts/ensure-deps.sh test

format-deps:
	@./scripts/ensure-deps.sh format

configure: test-deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DORVALIS_WERROR=$(WERROR) -DORVALIS_BUILD_TESTS=ON >/dev/null

build: configure
	@cmake --build $(BUILD_DIR)

# The suite leaves nothing behind: the sources as they were (git status) and its temporary
# folder, one of its own, empty (scripts/run-leaving-nothing.sh).
test: build
	@./scripts/run-leaving-nothing.sh ctest --test-dir $(BUILD_DIR) --output-on-failure

# The quick part of the suite: every test but those needing a display, a compositor or the
# installed program (labels desktop and install); it too leaves nothing behind.
unit: build
	@./scripts/run-leaving-nothing.sh ctest --test-dir $(BUILD_DIR) --output-on-failure --label-exclude 'desktop|install'

# The viewer on the desktop, started in the current folder (its log espion.log lands
# here). Without a display it says so and how to start it under Xvfb. A tree it configures
# first builds no test (it needs only the build packages); a tree that make test configured
# keeps its tests.
run: build-deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DORVALIS_WERROR=$(WERROR) \
	  $(if $(wildcard $(BUILD_DIR)/CMakeCache.txt),,-DORVALIS_BUILD_TESTS=OFF) >/dev/null
	@cmake --build $(BUILD_DIR) --target orvalis
	@$(BUILD_DIR)/app/orvalis

# The program (a Release build, in the folder the benchmarks use), its desktop entry and
# its icon under PREFIX; DESTDIR, when given, is put before it, for packaging.
PREFIX ?= /usr/local
INSTALL_BUILD_DIR ?= build-release
install: build-deps
	@cmake -S . -B $(INSTALL_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVALIS_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(INSTALL_BUILD_DIR) --target orvalis
	@DESTDIR="$(DESTDIR)" cmake --install $(INSTALL_BUILD_DIR) --prefix "$(PREFIX)"

# The Debian package (orvalis_<version>_<arch>.deb, in INSTALL_BUILD_DIR) of the same
# Release build: what make install puts under /usr, with its dependencies computed from
# the libraries the program links.
package: build-deps
	@cmake -S . -B $(INSTALL_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVALIS_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(INSTALL_BUILD_DIR) --target orvalis
	@cd $(INSTALL_BUILD_DIR) && cpack -G DEB

# Every test again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
asan: test-deps
	@cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVALIS_BUILD_TESTS=ON -DORVALIS_SANITIZE=ON -DORVALIS_WERROR=$(WERROR) >/dev/null
	@cmake --build build-asan
	@ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build-asan --output-on-failure

# Every test again, built with ThreadSanitizer (the next view is decoded on a thread of
# its own); any report fails its test.
tsan: test-deps
	@cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVALIS_BUILD_TESTS=ON -DORVALIS_TSAN=ON -DORVALIS_WERROR=$(WERROR) >/dev/null
	@cmake --build build-tsan
	@TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/tests/tsan.supp" ctest --test-dir build-tsan --output-on-failure

# The viewer's tests (the real viewer on the headless backend) under valgrind's memcheck,
# in a Debug build of their own (build-valgrind); fails on any memory error or leak.
valgrind: test-deps
	@./scripts/valgrind-viewer.sh

# The fuzz targets (docs/fuzzing.md), built with clang in build-fuzz, FUZZ_SECONDS each.
FUZZ_SECONDS ?= 60
fuzz: test-deps
	@FUZZ_SECONDS=$(FUZZ_SECONDS) ./fuzz/run.sh

# The benchmarks against their references (docs/performance.md), in a Release build of
# their own; one table, and a failure when a ratio is above its target.
bench: test-deps
	@cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVALIS_BUILD_TESTS=ON >/dev/null
	@cmake --build build-release --target orvalis_bench
	@build-release/bench/orvalis_bench build-release/bench/data

# Every C++ file in the house style (.clang-format); format-check changes nothing and
# fails on a file that differs (CI runs it). Both need clang-format alone, at the major
# version the style is pinned to (scripts/format.sh).
format: format-deps
	@./scripts/format.sh

format-check: format-deps
	@./scripts/format.sh --check

# Every build tree: the everyday one, the Release one (install, package, bench) and those
# of the sanitizers, valgrind and the fuzzers.
clean:
	rm -rf $(BUILD_DIR) build-release build-asan build-tsan build-valgrind build-fuzz
