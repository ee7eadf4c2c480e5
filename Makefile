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
# Where 32-bit programs run through the user-mode emulator (tools/setup-32bit.sh)
# LeakSanitizer hangs at process exit, so leak detection is off there. The
# emulator hands out memory downward from 1 GiB, through the range that
# AddressSanitizer's 32-bit layout keeps for the shadow of the top gigabytes;
# holding the emulated address space to 2 GiB moves that shadow below 768 MiB,
# so every address the emulator hands out is application memory to ASan.
# Evaluated when a recipe runs, after set-up.
EMULATED = $(shell grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386 && echo 1)
LEAKS = $(if $(EMULATED),0,1)
# The emulated 2 GiB also hold the freed-memory quarantine (256 MiB by
# default): a fuzz target running thousands of inputs ran out of address
# space with it, so under the emulator it is kept small.
QUARANTINE = $(if $(EMULATED),:quarantine_size_mb=16,)
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=$(LEAKS):strict_string_checks=1:detect_stack_use_after_return=1$(QUARANTINE) \
                UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
                $(if $(EMULATED),QEMU_RESERVED_VA=0x80000000,)
# libFuzzer's per-input timer is a signal every few seconds. The emulator
# keeps one descriptor table for all threads of an emulated 32-bit process,
# and returning from a signal reloads the thread pointer from it: once a
# command under test had started and ended a thread (a tick clock), the
# fuzzer's main thread went on with the ended thread's thread-local data and
# the sanitizer stopped on it within seconds. Under the emulator the timer is
# off; the run's own time limit (tools/fuzz.sh) still ends a hang.
FUZZ_UNIT_TIMEOUT = $(if $(EMULATED),0,10)
# AddressSanitizer's checks under the emulator cost fifty times or more a plain
# emulated run: there the exhaustive fault sweeps and random sequences of the
# sanitizer pass visit a sample (the plain `make test` runs them whole).
ASAN_SCALE = $(if $(EMULATED),TEST_SCALE_PERCENT=10,)
# Every test process has a time limit of its own: a hang fails the run.
TEST_TIMEOUT ?= 1200

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
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout $(TEST_TIMEOUT)

bench: build
	@if [ -x tools/bench.sh ]; then tools/bench.sh $(BUILD); else echo "no benchmarks yet"; fi

$(ASAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(ASAN_BUILD) $(CLANG_FLAGS) -DSANITIZE=ON $(CMAKE_FLAGS)

check-asan: setup $(ASAN_BUILD)/CMakeCache.txt
	@$(if $(EMULATED),echo "check-asan: 32-bit programs are emulated here: leak detection off and sweeps sampled at 10%",true)
	$(SANITIZER_ENV) cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && $(SANITIZER_ENV) $(ASAN_SCALE) ctest --output-on-failure -j $(JOBS) --timeout $(TEST_TIMEOUT)

$(FUZZ_BUILD)/CMakeCache.txt:
	cmake -S . -B $(FUZZ_BUILD) $(CLANG_FLAGS) -DFUZZ=ON $(CMAKE_FLAGS)

fuzz: setup $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	@$(if $(EMULATED),echo "fuzz: 32-bit programs are emulated here: leak detection and the per-input timer off",true)
	$(SANITIZER_ENV) FUZZ_SECONDS=$(FUZZ_SECONDS) FUZZ_UNIT_TIMEOUT=$(FUZZ_UNIT_TIMEOUT) tools/fuzz.sh $(FUZZ_BUILD)

clean:
	rm -rf $(BUILD) out
