#!/bin/bash
# Fuzzes the harnesses of fuzz/ with libFuzzer, each for the given number of seconds (default 60),
# one after the other; all of them unless some are named.
#
#   tools/fuzz.sh [seconds] [harness...]
#
# Builds with clang in build-fuzz/ (AddressSanitizer and UndefinedBehaviorSanitizer on the whole
# build). Each run starts from fuzz/corpus/<harness>/ and keeps the inputs it finds in
# build-fuzz/fuzz-scratch/<harness>/, never in the repository; an input that breaks something is
# saved as build-fuzz/fuzz-crashes/<harness>-crash-…, reported, and the script exits non-zero.
# Replay one with build-fuzz/fuzz/fuzz_<harness> <file>.
set -u
cd "$(dirname "$0")/.." || exit 1
root=$(pwd)

seconds=${1:-60}
[ $# -gt 0 ] && shift
all=(conversions skinfile settings xlsfile xlsstream jetdialect jetheader ledger)
if [ $# -gt 0 ]; then harnesses=("$@"); else harnesses=("${all[@]}"); fi
for h in "${harnesses[@]}"; do
  if [ ! -f "fuzz/fuzz_$h.cpp" ]; then
    echo "no harness \"$h\"; there are: ${all[*]}" >&2
    exit 2
  fi
done

build=$root/build-fuzz
clang=${CLANG:-clang++-14}
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
# The build runs the template maker, which is instrumented too; Qt keeps some memory to the end.
export ASAN_OPTIONS=detect_leaks=0
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="$clang" \
    -DCMAKE_CXX_FLAGS="$flags" "${launcher[@]}" \
    -DKELM_FUZZ=ON -DKELM_BUILD_TESTS=OFF -DKELM_BUILD_BENCH=OFF >/dev/null || exit 1
fi
targets=()
for h in "${harnesses[@]}"; do targets+=(--target "fuzz_$h"); done
cmake --build "$build" --parallel "${JOBS:-2}" "${targets[@]}" || exit 1

mkdir -p "$build/fuzz-logs" "$build/fuzz-crashes"
failed=0
summary=()
for h in "${harnesses[@]}"; do
  scratch="$build/fuzz-scratch/$h"
  mkdir -p "$scratch"
  log="$build/fuzz-logs/$h.log"
  echo "fuzzing $h for $seconds s (log: $log)"
  # Leaks are findings too, except those of libgsf itself (fuzz/lsan.supp).
  ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0 LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp" "$build/fuzz/fuzz_$h" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/fuzz-crashes/$h-" "$scratch" "$root/fuzz/corpus/$h" >"$log" 2>&1
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  if [ $status -eq 0 ]; then
    summary+=("$(printf '%-12s %10s runs %6s/s  ok' "$h" "${runs:-?}" "${rate:-?}")")
  else
    failed=1
    artifact=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1)
    summary+=("$(printf '%-12s %10s runs %6s/s  FAILED (%s)' "$h" "${runs:-?}" "${rate:-?}" "${artifact:-see $log}")")
    grep -m 3 -E "broken invariant|ERROR: |runtime error" "$log" | sed 's/^/    /'
  fi
done
printf '%s\n' "${summary[@]}"
exit $failed
