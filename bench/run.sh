#!/usr/bin/env bash
# Reruns every benchmark of the project and prints its figures.
#
# Assumes a Release build in build-bench/ at the top of the source tree; makes
# one when there is none:
#   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DZELTO_BUILD_APP=OFF
# Usage: bench/run.sh [--quick]   (--quick: shorter benchmark runs)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_BENCH:-$root/build-bench}
quick=0
[[ ${1:-} == --quick ]] && quick=1

if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZELTO_BUILD_APP=OFF -DZELTO_BUILD_TESTS=OFF
fi
type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
[[ $type == Release ]] || echo "warning: $build is a '$type' build, not Release; figures will be low" >&2
cmake --build "$build" -j"$(nproc)"

echo "== machine"
echo "$(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)"
echo "$(uname -sr), $(c++ --version | head -n1)"
uptime
echo

min_time=()
((quick)) && min_time=(--benchmark_min_time=0.1)

# Google Benchmark programs: bench/<name>/ builds bench_<name>.
for dir in "$root"/bench/*/; do
  name=$(basename "$dir")
  exe=$build/bench/$name/bench_$name
  [[ -x $exe ]] || continue
  echo "== $name"
  "$exe" "${min_time[@]}" --benchmark_color=false
  echo
done

# Benchmarks that bring their own script (whole-process converter figures).
for script in "$root"/bench/*/run.sh; do
  [[ -x $script ]] || continue
  echo "== $(basename "$(dirname "$script")") ($script)"
  BUILD_BENCH=$build "$script"
  echo
done

# Batch conversion: 8 files converted one after another and on 2 and 4
# worker threads; the outputs must be the same bytes.
tool=$build/tools/zelto2edt/zelto2edt
if [[ -x $tool ]]; then
  echo "== zelto2edt -j N, 8 files"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  sample=$root/examples/harbour_survey.csv
  repeat=$((quick ? 40 : 400))
  {
    head -n 1 "$sample"
    for ((i = 0; i < repeat; ++i)); do tail -n +2 "$sample"; done
  } > "$work/f0.csv"
  for i in 1 2 3 4 5 6 7; do cp "$work/f0.csv" "$work/f$i.csv"; done
  echo "$(( $(wc -l < "$work/f0.csv") - 1 )) records a file, $(du -m "$work/f0.csv" | cut -f1) MB"
  TIMEFORMAT=%R
  declare -A best
  for jobs in 1 2 4; do
    mkdir -p "$work/j$jobs"
    cp "$work"/f?.csv "$work/j$jobs/"
    best[$jobs]=
    for run in 1 2 3; do
      t=$( { time "$tool" --quiet -j $jobs "$work/j$jobs"/f?.csv > "$work/j$jobs.out"; } 2>&1 )
      if [[ -z ${best[$jobs]} ]] || awk "BEGIN{exit !($t < ${best[$jobs]})}"; then best[$jobs]=$t; fi
    done
    sed -i "s|$work/j$jobs/||" "$work/j$jobs.out"
  done
  for jobs in 2 4; do
    for i in 0 1 2 3 4 5 6 7; do
      cmp -s "$work/j1/f$i.EDT" "$work/j$jobs/f$i.EDT" || echo "f$i.EDT differs with -j $jobs" >&2
    done
    cmp -s "$work/j1.out" "$work/j$jobs.out" || echo "summaries differ with -j $jobs" >&2
  done
  for jobs in 1 2 4; do
    awk -v j=$jobs -v t=${best[$jobs]} -v s=${best[1]} \
      'BEGIN{printf "-j %d  %6.2f s  speed-up %.2fx\n", j, t, s / t}'
  done
fi
