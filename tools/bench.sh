#!/usr/bin/env bash
# Benchmarks. Figures are printed; the README's performance section records
# a run on the project's machine.
set -eu
build=${1:-build}
mkdir -p "$build/bench-data"
program="$build/bench-data/large.knf"
[ -f "$program" ] || python3 examples/generate.py large 1000000 "$program"
"$build/bin/view_bench" "$program"
"$(dirname "$0")/vsftpd-bench.sh" "$build"
