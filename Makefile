# The two everyday commands: `make run` and `make test`. Both install what they lack first.
BUILD_DIR ?= build
BUILD_TYPE ?= Debug

.PHONY: all deps configure build test run clean

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

clean:
	rm -rf $(BUILD_DIR)
