# The two everyday commands: `make run` and `make test`. Both install what they lack first.
BUILD_DIR ?= build
BUILD_TYPE ?= Debug

.PHONY: all deps configure build test run asan fuzz clean

all: build

deps:
	@./scripts/ensure-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR)

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure

run: build
	@if [ -x $(BUILD_DIR)/app/orvalis ]; then \
	  $(BUILD_DIR)/app/orvalis; \
	else \
	  echo "The viewer is not built yet: only the framework layers exist so far."; \
	fi

# Every test again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
asan: deps
	@cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVALIS_SANITIZE=ON >/dev/null
	@cmake --build build-asan
	@ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build-asan --output-on-failure

# The fuzz targets (docs/fuzzing.md), built with clang in build-fuzz, FUZZ_SECONDS each.
FUZZ_SECONDS ?= 60
fuzz: deps
	@FUZZ_SECONDS=$(FUZZ_SECONDS) ./fuzz/run.sh

clean:
	rm -rf $(BUILD_DIR) build-asan
