# The README's commands. Everything else is plain CMake presets.
PRESET ?= default
BUILD  := build/$(PRESET)
JOBS   ?= $(shell nproc)

.PHONY: all setup build demo test test-asan test-tsan bench fuzz package clean

all: build

setup:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja: | setup
	cmake --preset $(PRESET)

build: setup $(BUILD)/build.ninja
	cmake --build --preset $(PRESET) -j $(JOBS)

# The demo needs the command, the module and its resources, not the tests.
demo: setup $(BUILD)/build.ninja
	cmake --build --preset $(PRESET) -j $(JOBS) --target scorelens
	$(BUILD)/src/cli/scorelens demo

test: build
	ctest --preset $(PRESET) -j $(JOBS)

test-asan:
	$(MAKE) test PRESET=asan-ubsan

test-tsan:
	$(MAKE) test PRESET=tsan

bench: setup $(BUILD)/build.ninja
	cmake --build --preset $(PRESET) -j $(JOBS) --target scorelens_bench
	$(BUILD)/bench/scorelens_bench

# The libFuzzer targets (clang, ASan and UBSan) under build/fuzz; each runs as
# build/fuzz/fuzz/fuzz_<name> fuzz/corpus/<name>. `make test` only replays them.
fuzz:
	@bash scripts/install-deps.sh fuzz
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)

# A Debian package of the command, its libraries, the module and its resources.
package: build
	cmake --build --preset $(PRESET) --target package

clean:
	rm -rf build
