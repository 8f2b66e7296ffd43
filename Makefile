# The README's commands. Everything else is plain CMake presets.
PRESET ?= default
BUILD  := build/$(PRESET)
JOBS   ?= $(shell nproc)

.PHONY: all setup build demo test test-asan test-tsan bench package clean

all: build

setup:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja: | setup
	cmake --preset $(PRESET)

build: setup $(BUILD)/build.ninja
	cmake --build --preset $(PRESET) -j $(JOBS)

demo: build
	$(BUILD)/src/cli/scorelens demo

test: build
	ctest --preset $(PRESET) -j $(JOBS)

test-asan:
	$(MAKE) test PRESET=asan-ubsan

test-tsan:
	$(MAKE) test PRESET=tsan

bench: build
	$(BUILD)/bench/scorelens_bench

# A Debian package of the command, its libraries, the module and its resources.
package: build
	cmake --build --preset $(PRESET) --target package

clean:
	rm -rf build
