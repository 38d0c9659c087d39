#!/usr/bin/env bash
# Builds the libFuzzer targets (build-fuzz/, clang) and runs each for a fixed
# time: FUZZ_SECONDS per target (default 20). Seeds come from fuzz/corpus/<name>/;
# new inputs go to build-fuzz/corpus/<name>/ and crashes to build-fuzz/crashes/.
# Usage: scripts/fuzz.sh [target...]   (default: every fuzz_* target)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${BUILD_ROOT:-$root}/build-fuzz"
secs="${FUZZ_SECONDS:-20}"
jobs="${JOBS:-$(nproc 2>/dev/null || echo 2)}"
source "$root/scripts/build-dir.sh"
claim_build_dir "$out" "$root"
CC=clang CXX=clang++ cmake -S "$root" -B "$out" -DZELTO_FUZZ=ON -DZELTO_BUILD_TESTS=OFF \
      -DZELTO_BUILD_BENCH=OFF -DZELTO_BUILD_APP=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
  for src in "$root"/fuzz/fuzz_*.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi
# Only the fuzz targets (and the static libraries they use) are built here.
cmake --build "$out" -j "$jobs" --target "${targets[@]}"
mkdir -p "$out/crashes"
status=0
for t in "${targets[@]}"; do
  name="${t#fuzz_}"
  mkdir -p "$out/corpus/$name"
  seeds=()
  [[ -d "$root/fuzz/corpus/$name" ]] && seeds+=("$root/fuzz/corpus/$name")
  echo "== $t for ${secs}s"
  if ! ASAN_OPTIONS="halt_on_error=1:detect_leaks=1" UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
       "$out/fuzz/$t" -max_total_time="$secs" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$out/crashes/$name-" -print_final_stats=1 \
       "$out/corpus/$name" "${seeds[@]}" 2>"$out/$name.log"; then
    echo "!! $t found a fault; see $out/$name.log and $out/crashes/"
    status=1
  fi
  grep -E '^stat::number_of_executed_units|^#[0-9]+ *DONE' "$out/$name.log" | tail -2 || true
done
exit $status
