# The README's commands. Everything else is plain CMake presets.
PRESET ?= default
BUILD  := build/$(PRESET)
JOBS   ?= $(shell nproc)

.PHONY: all setup build demo test test-asan test-tsan coverage mutants bench fuzz package clean

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

# Every test on a build with coverage counters, then the HTML report under
# build/coverage/report and one summary line per top folder of src/.
CCACHE := $(if $(shell command -v ccache),-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
coverage: setup
	cmake --preset coverage $(CCACHE)
	cmake --build --preset coverage -j $(JOBS)
	find build/coverage -name '*.gcda' -delete
	ctest --preset coverage -j $(JOBS)
	python3 scripts/coverage-report.py build/coverage

# Mutation testing of FILES (default: the sources this branch changed since
# main) in a Debug tree of its own, each file compiled alone; see
# tools/mutation/mutate.py. Not part of `make test`.
MUTATION := build/mutation
FILES ?= $(shell git diff --name-only $$(git merge-base main HEAD) -- 'src/*.cpp' 'src/*.h')
# The command's tests (a sweep of over a hundred pages) take minutes a run.
MUTANT_FLAGS ?= --exclude cli_tests
mutants: setup
	test -f $(MUTATION)/build.ninja || cmake -S . -B $(MUTATION) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DSCORELENS_UNITY=OFF -DCMAKE_LINK_DEPENDS_NO_SHARED=ON $(CCACHE)
	nice -n 19 python3 tools/mutation/mutate.py --build $(MUTATION) $(MUTANT_FLAGS) $(FILES)

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
