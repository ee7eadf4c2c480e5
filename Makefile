# Front door of the project: every command sets up what it needs.
#   make build   configure and build everything (build/)
#   make demo    render the bundled examples to out/*.png
#   make test    build and run every test
#   make bench   benchmarks
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

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

clean:
	rm -rf $(BUILD) out
