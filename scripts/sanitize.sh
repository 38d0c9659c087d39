#!/usr/bin/env bash
# Runs the test suites under the sanitizers:
#   build-asan/  AddressSanitizer + UndefinedBehaviorSanitizer, every test, first report aborts;
#   build-tsan/  ThreadSanitizer, only the tests that run work on threads.
# Usage: scripts/sanitize.sh [asan|tsan|all]   (default all)
# TSAN_FILTER (a ctest -R regex) picks the threaded tests; the default names
# them: cancel from another thread, error text read while a conversion fails,
# per-thread error codes, many threads each with its own handle or converter,
# and the converter tool's worker threads.
# TSAN_TARGETS lists the programs the TSan run builds (only those: the other
# suites have no threads and would only cost build time).
# Both builds are -O1 -g1: line numbers in every report at about half the
# compile time of -O2 -g, which is most of the cost of these stages.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
what="${1:-all}"
out="${BUILD_ROOT:-$root}"   # where build-asan/ and build-tsan/ go
jobs="${JOBS:-$(nproc 2>/dev/null || echo 2)}"
# gcc: its sanitizer runtimes are shared, so the VORTAN shared library links
# with --no-undefined (clang would leave the ASan symbols unresolved there).
source "$root/scripts/build-dir.sh"
export CC="${CC:-gcc}" CXX="${CXX:-g++}"
tsan_tests=(
  'ConverterCancel\.'                            # tests/converter
  'ConverterThreads\.'
  'ThreadErrors\.'                               # tests/geodesy/api
  'ThreadHandles\.'
  'zelto2edt\.Cases'                             # tests/data/tools, -j N workers
)
default_filter="$(IFS='|'; echo "^(${tsan_tests[*]})")"
TSAN_FILTER="${TSAN_FILTER:-$default_filter}"
TSAN_TARGETS="${TSAN_TARGETS:-test_converter test_geodesy_api zelto2edt}"

common=(-DZELTO_BUILD_APP=OFF -DZELTO_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Sanitize
        "-DCMAKE_C_FLAGS_SANITIZE=-O1 -g1" "-DCMAKE_CXX_FLAGS_SANITIZE=-O1 -g1")

if [[ "$what" == asan || "$what" == all ]]; then
  claim_build_dir "$out/build-asan" "$root"
  cmake -S "$root" -B "$out/build-asan" "${common[@]}" -DZELTO_SANITIZE=ON -DZELTO_TSAN=OFF
  cmake --build "$out/build-asan" -j "$jobs"
  ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:verify_asan_link_order=0" \
  UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
    ctest --test-dir "$out/build-asan" --output-on-failure -j "$jobs" --timeout 120
fi

if [[ "$what" == tsan || "$what" == all ]]; then
  claim_build_dir "$out/build-tsan" "$root"
  cmake -S "$root" -B "$out/build-tsan" "${common[@]}" -DZELTO_SANITIZE=OFF -DZELTO_TSAN=ON
  # shellcheck disable=SC2086  # a list of target names
  cmake --build "$out/build-tsan" -j "$jobs" --target $TSAN_TARGETS
  TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:report_thread_leaks=0" \
    ctest --test-dir "$out/build-tsan" --output-on-failure -j "$jobs" --timeout 120 \
          -R "$TSAN_FILTER" --no-tests=ignore
fi
