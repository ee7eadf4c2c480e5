#!/usr/bin/env bash
# Benchmarks. Figures are printed, each marked native or emulated; the
# README's performance section records runs on the project's machine.
set -eu
build=${1:-build}
# Figures of an emulated run (tools/setup-32bit.sh) are not comparable with
# native ones; the benchmarks label every figure with BENCH_RUN.
if grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386; then
  export BENCH_RUN=emulated
else
  export BENCH_RUN=native
fi
echo "benchmark run: $BENCH_RUN (32-bit programs $([ $BENCH_RUN = native ] && echo 'run natively' || echo 'run through qemu-i386'))"
mkdir -p "$build/bench-data"
program="$build/bench-data/large.knf"
iso_program="$build/bench-data/large.nc"
[ -f "$program" ] || python3 examples/generate.py large 1000000 "$program"
[ -f "$iso_program" ] || python3 examples/generate.py large-iso 1000000 "$iso_program"
"$build/bin/view_bench" "$program" "$iso_program"
"$build/bin/plotline_bench" 1000000
"$build/bin/preprocess_bench" 5
"$build/bin/nc_view_bench" 5
HOSTSIM_LIB_DIR="$build/lib" "$build/bin/glint_bench"
HOSTSIM_LIB_DIR="$build/lib" "$build/bin/vitals_bench"
"$(dirname "$0")/vsftpd-bench.sh" "$build"
