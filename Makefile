# Front door of the project: every command sets up what it needs.
#   make build   configure and build everything (build/)
#   make demo    render the bundled examples to out/*.png
#   make test    build and run every test
#   make bench   benchmarks
#   make check-asan  every test built with AddressSanitizer and UBSan (clang)
#   make fuzz        each libFuzzer target for FUZZ_SECONDS (default 30)
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30
CLANG_FLAGS = -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
                UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: all setup build demo test bench check-asan fuzz clean

all: build

setup:
	@tools/setup.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	@tools/demo.sh $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) $(if $(CI),--timeout 1200,)

bench: build
	@if [ -x tools/bench.sh ]; then tools/bench.sh $(BUILD); else echo "no benchmarks yet"; fi

$(ASAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(ASAN_BUILD) $(CLANG_FLAGS) -DSANITIZE=ON $(CMAKE_FLAGS)

check-asan: setup $(ASAN_BUILD)/CMakeCache.txt
	$(SANITIZER_ENV) cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS) $(if $(CI),--timeout 1200,)

$(FUZZ_BUILD)/CMakeCache.txt:
	cmake -S . -B $(FUZZ_BUILD) $(CLANG_FLAGS) -DFUZZ=ON $(CMAKE_FLAGS)

fuzz: setup $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	FUZZ_SECONDS=$(FUZZ_SECONDS) tools/fuzz.sh $(FUZZ_BUILD)

clean:
	rm -rf $(BUILD) out
