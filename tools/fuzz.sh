#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for FUZZ_SECONDS seconds each
# (default 30), starting from its seed corpus in fuzz/corpus/<name>/.
#   tools/fuzz.sh [build dir]           every target
#   FUZZ_TARGETS="reader" tools/fuzz.sh  only these
# New inputs go to <build>/fuzz-corpus/<name>/ (the seeds stay untouched),
# crashes to <build>/fuzz-artifacts/. Fails when any target fails.
set -u
cd "$(dirname "$0")/.."
# Absolute paths: a target may change its working folder (command_line
# runs in a private one), and its seeds and artifacts must still be found.
build=$(cd "${1:-build-fuzz}" 2>/dev/null && pwd) || { echo "no fuzz build in ${1:-build-fuzz}"; exit 1; }
seconds=${FUZZ_SECONDS:-30}
max_len_default=${FUZZ_MAX_LEN:-4096}
# Seconds one input may run before libFuzzer calls it a hang; 0 turns its
# timer off (the Makefile does so under the user-mode emulator, see there).
# The outer limit below still ends a run that hangs.
unit_timeout=${FUZZ_UNIT_TIMEOUT:-10}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

shopt -s nullglob
targets=()
if [ -n "${FUZZ_TARGETS:-}" ]; then
  for t in $FUZZ_TARGETS; do targets+=("$build/bin/fuzz_$t"); done
else
  targets=("$build"/bin/fuzz_*)
fi
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets in $build/bin"; exit 1
fi

mkdir -p "$build/fuzz-artifacts"
status=0
summary=()
for exe in "${targets[@]}"; do
  name=$(basename "$exe"); name=${name#fuzz_}
  seeds=$PWD/fuzz/corpus/$name
  work=$build/fuzz-corpus/$name
  log=$build/fuzz-artifacts/$name.log
  if [ ! -x "$exe" ] || [ ! -d "$seeds" ]; then
    echo "fuzz $name: missing target or seed corpus $seeds"; status=1; continue
  fi
  mkdir -p "$work"
  # Inputs may grow to the default or to the largest seed, whichever is more.
  largest=$(find "$seeds" -type f -printf '%s\n' | sort -n | tail -1)
  max_len=$(( ${largest:-0} > max_len_default ? ${largest:-0} : max_len_default ))
  # The seeds (and what earlier runs found) are handed over as a list of
  # files: a 32-bit libFuzzer reads no directory on a file system with 64-bit
  # inode numbers (its runtime lacks large-file support), and would start
  # from nothing.
  seed_list=$build/fuzz-artifacts/$name.seeds
  find "$seeds" "$work" -type f | paste -sd, > "$seed_list"
  seed_flag=()
  [ -s "$seed_list" ] && seed_flag=(-seed_inputs=@"$seed_list")
  echo "fuzz $name: ${seconds}s"
  # libFuzzer stops itself after $seconds; the outer limit catches a process
  # that hangs instead (as a sanitizer can at exit under an emulator).
  timeout --kill-after=30 $(( seconds * 2 + 120 )) \
  "$exe" -max_total_time="$seconds" -max_len="$max_len" -timeout="$unit_timeout" -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$name-" \
    "${seed_flag[@]}" "$work" >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
  seeded=$(sed -n 's/.*seed corpus: files: \([0-9]*\).*/\1/p' "$log" | head -1)
  if { [ $rc -eq 124 ] || [ $rc -eq 137 ]; } && grep -q '^Done [0-9]* runs' "$log"; then
    # The run finished and printed its statistics; only the process's exit
    # hung (seen under the user-mode emulator, inside the sanitizer runtime).
    echo "fuzz $name: finished, but its exit hung and it was killed; log: $log"
    summary+=("$name: ${seeded:-0} seeds, ${runs:-?} runs, ${cov:-cov: ?}, no failure (exit hung, killed)")
  elif [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
    echo "fuzz $name HUNG: still running $(( seconds * 2 + 120 ))s after start; log: $log"
    status=1
    summary+=("$name: HUNG after ${runs:-?} runs")
  elif [ $rc -ne 0 ] && grep -q 'Sanitizer: CHECK failed: sanitizer_' "$log" &&
       crash=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1) && [ -f "$crash" ] &&
       timeout 120 "$exe" "$crash" >"$log.replay" 2>&1; then
    # The sanitizer's own runtime gave up (under the emulator it has failed to
    # read the thread's stack bounds after thousands of runs) and the input it
    # saved runs clean on its own: not a finding of the code under test.
    echo "fuzz $name: the sanitizer runtime failed a check, and the input replays clean; log: $log"
    summary+=("$name: ${seeded:-0} seeds, ${runs:-?} runs, ${cov:-cov: ?}, no failure (sanitizer runtime check failed, input replays clean)")
  elif [ $rc -ne 0 ]; then
    echo "fuzz $name FAILED (exit $rc); log: $log"
    grep -E 'ERROR|runtime error|check failed|Test unit written' "$log" | head -20
    status=1
    # The summary comes last and is what a short tail of the output keeps,
    # so it names the finding and the input that shows it.
    why=$(grep -m1 -E 'ERROR: |runtime error|check failed|ALARM|out-of-memory|deadly signal' "$log" | cut -c1-200)
    unit=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1)
    summary+=("$name: FAILED after ${runs:-?} runs (exit $rc): ${why:-see $log}${unit:+; input: $unit}")
    if [ -n "$unit" ] && [ -f "$unit" ] && [ "$(stat -c %s "$unit")" -le 512 ]; then
      summary+=("  input as base64: $(base64 -w0 "$unit")")
    fi
  else
    summary+=("$name: ${seeded:-0} seeds, ${runs:-?} runs, ${cov:-cov: ?}, no failure")
  fi
done
echo "fuzz summary (${seconds}s each):"
printf '  %s\n' "${summary[@]}"
exit $status
