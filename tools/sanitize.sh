#!/usr/bin/env bash
# Builds the whole project with clang 14, AddressSanitizer and UndefinedBehaviorSanitizer into
# build-sanitize/ and runs the test suite there. A memory error, a leak or undefined behaviour ends
# the test that meets it, so the run passes only when there is none. Arguments go to ctest
# (e.g. -R tst_settings).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$top/build-sanitize"
"$top/tools/install-deps.sh"

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DKELM_SANITIZE=ON "${launcher[@]}" >/dev/null
cmake --build "$build" --parallel "$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_SYMBOLIZER_PATH=/usr/bin/llvm-symbolizer-14
# Full unwinding on allocation, so a leak inside libgsf is known by its library (fuzz/lsan.supp:
# libgsf loses part of a damaged compound file it refuses; the program frees all it is handed).
export ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1:fast_unwind_on_malloc=0
export LSAN_OPTIONS=suppressions=$top/fuzz/lsan.supp
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" "$@"
