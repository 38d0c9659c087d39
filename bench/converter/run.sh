#!/usr/bin/env bash
# Whole-process figures of zelto2edt on generated survey exports, all taken in one run:
#   - records per second in standard UTM mode and in project mode (the harbour
#     project's TME definition with its WGS-84 shift, examples/harbour_geodesy.ini)
#     on RECORDS (default 1,000,000) records;
#   - PROJ's cs2cs on the same positions in the same run: to UTM, and to UTM on
#     Clarke 1866 with the same translation (the project mode's work);
#   - peak resident memory (/usr/bin/time "Maximum resident set size") on RECORDS/100,
#     RECORDS and 5 x RECORDS records, both modes: it must not grow with the file;
#   - four files of RECORDS records converted with -j 1 and with -j 2, replacing the .EDT
#     files of the run before (ext4 then writes the new files out and frees the old ones
#     during the run) and into a folder without them (BEFORE=... empties it before each run);
#   - the same replacing -j rows on /dev/shm when it is a tmpfs with room for them: no
#     disk, so what the workers themselves scale to;
#   - in the rounds of the -j rows, one file of RECORDS records converted alone, two such
#     conversions at once (two processes), and one on each CPU alone (taskset): the CPUs
#     of a virtual machine need not be as fast together as alone, nor equally fast (the
#     host's other work can slow one of them), and a -j 2 run needs both while a -j 1
#     run may have the faster one to itself;
#   - cat FILE >/dev/null on the same CSV, the floor any reader of the file stands on,
#     and linecopy.c (getline/fputs of every line into a new file), the floor of any
#     line-by-line converter.
# Each figure is the best of RUNS (default 5) wall-clock times, the programs compared
# taking turns (see once); user+system CPU of that run is shown beside it, so that a run
# slowed by another process on the machine shows. The load average before and after is
# printed.
# Before every timed run the dirty pages of the runs before it are written out (`sync`,
# outside the time; SYNC=0 leaves it out): otherwise the kernel writes the hundreds of MB
# of earlier runs while a later one is timed, on the core a -j 2 run needs and a -j 1
# run leaves free, and each .EDT replaced waits for the writing of its pages.
#
# Usage: bench/converter/run.sh [RECORDS]   (BUILD_BENCH=build folder, RUNS=count, SYNC=0|1,
#        JOBS_DIR=folder for the four files of the -j rows)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${BUILD_BENCH:-$root/build-bench}
tool=$build/tools/zelto2edt/zelto2edt
runs=${RUNS:-5}
records=${1:-1000000}
small=$((records / 100))
huge=$((records * 5))
ini=$root/examples/harbour_geodesy.ini

[[ -x $tool ]] || { echo "no $tool: build the zelto2edt target first" >&2; exit 1; }
command -v /usr/bin/time >/dev/null || { echo "needs /usr/bin/time (package time)" >&2; exit 1; }
have_cs2cs=0
command -v cs2cs >/dev/null && have_cs2cs=1

work=$(mktemp -d)
batch=$work/batch  # the four files of the -j rows (below)
mem=               # the same four files on a tmpfs, when /dev/shm is one
trap 'rm -rf "$work"; [[ $batch == "$work"/* ]] || rm -rf "$batch"; [[ -z $mem ]] || rm -rf "$mem"' EXIT
cc -O2 -o "$work/linecopy" "$here/linecopy.c"

echo "generating $small, $records and $huge records ..."
python3 "$here/make_survey_csv.py" "$records" "$work/big.csv" --positions "$work/big.txt"
python3 "$here/make_survey_csv.py" "$small" "$work/small.csv"
# The large file: the big one's records five times over after one title line.
{ cat "$work/big.csv"; for _ in 1 2 3 4; do tail -n +2 "$work/big.csv"; done; } > "$work/huge.csv"
# The four files of the -j rows: in the work folder, or in JOBS_DIR (a folder of its own
# there, removed at the end), e.g. on a tmpfs to see the workers without the disk.
[[ -z ${JOBS_DIR:-} ]] || batch=$(mktemp -d "$JOBS_DIR/zelto-jobs.XXXXXX")
mkdir -p "$batch"
batch_files=("$batch"/f{1,2,3,4}.csv)
for f in "${batch_files[@]}"; do cp "$work/big.csv" "$f"; done
mem_files=()
# The -j rows again on a tmpfs (no disk: nothing written out, no blocks discarded), where
# /dev/shm is one with room for the files: how the workers scale without the disk.
if [[ -z ${JOBS_DIR:-} && $(stat -f -c %T /dev/shm 2>/dev/null) == tmpfs ]] &&
   (($(df -Pk /dev/shm | awk 'NR == 2 {print $4}') > 8 * $(du -k "$work/big.csv" | cut -f1))); then
  mem=$(mktemp -d /dev/shm/zelto-jobs.XXXXXX)
  mem_files=("$mem"/f{1,2,3,4}.csv)
  for f in "${mem_files[@]}"; do cp "$work/big.csv" "$f"; done
fi
echo "$(du -m "$work/big.csv" | cut -f1) MB, $(wc -l < "$work/big.csv") lines; load before: $(cut -d' ' -f1-3 /proc/loadavg)"

# once NAME CMD...: runs CMD once (stdout to /dev/null) and keeps the run if it is NAME's
# fastest so far. The programs compared side by side are run in rounds, each once a
# round, and each keeps its best round: the test machines' CPUs change speed from one
# minute to the next (the same conversion took 0.33 s and 0.54 s of wall time in
# consecutive runs), and a program whose runs all fell in a slow minute would be
# compared with one that met a fast one.
declare -A wall cpu rss
once() {
  local name=$1; shift
  local t0 t1
  [[ -z ${BEFORE:-} ]] || eval "$BEFORE"
  # The files a run reads are read once before it, outside the time: a kernel that
  # pages out cold page cache (DAMON's reclaim on the test machines) would otherwise
  # time the disk for inputs last read a minute before.
  for a in "$@"; do [[ -f $a ]] && cat "$a" > /dev/null; done
  [[ ${SYNC:-1} == 0 ]] || sync
  t0=$(date +%s%N)
  /usr/bin/time -f '%U %S %M' -o "$work/time" "$@" > /dev/null
  t1=$(date +%s%N)
  local t=$(( (t1 - t0) / 1000 ))  # microseconds
  read -r u s m < "$work/time"
  if [[ -z ${wall[$name]:-} ]] || ((t < wall[$name])); then
    wall[$name]=$t
    cpu[$name]=$(awk -v u="$u" -v s="$s" 'BEGIN{printf "%.2f", u + s}')
    rss[$name]=$m
  fi
}

for ((r = 0; r < runs; ++r)); do
  once cat      cat "$work/big.csv"
  once linecopy "$work/linecopy" "$work/big.csv"
  once utm      "$tool" --quiet "$work/big.csv"
  once project  "$tool" --quiet --geodesy "$ini" "$work/big.csv"
  if ((have_cs2cs)); then
    once cs2cs  cs2cs +proj=longlat +datum=WGS84 +to +proj=utm +zone=11 +datum=WGS84 "$work/big.txt"
    once cs2cs_shift cs2cs +proj=longlat +datum=WGS84 +to +proj=utm +zone=11 +ellps=clrk66 \
      +towgs84=-8,160,176 "$work/big.txt"
  fi
  once utm_s    "$tool" --quiet "$work/small.csv"
  once proj_s   "$tool" --quiet --geodesy "$ini" "$work/small.csv"
  once utm_h    "$tool" --quiet "$work/huge.csv"
  once proj_h   "$tool" --quiet --geodesy "$ini" "$work/huge.csv"
done
cpus=()
if command -v taskset >/dev/null; then
  for ((c = 0; c < $(nproc) && c < 4; ++c)); do cpus+=("$c"); done
fi
cp "$work/big.csv" "$work/big2.csv"
# One conversion alone, two at once, and each CPU alone.
cpu_rows() {
  once alone "$tool" --quiet "$work/big.csv"
  once pair bash -c '"$1" --quiet "$2" > /dev/null & "$1" --quiet "$3"; wait' pair "$tool" "$work/big.csv" "$work/big2.csv"
  for c in "${cpus[@]}"; do once "cpu$c" taskset -c "$c" "$tool" --quiet "$work/big.csv"; done
}
# The rows that replace .EDT files need them there from the first round on.
"$tool" --quiet -j 2 "${batch_files[@]}" > /dev/null
[[ -z $mem ]] || "$tool" --quiet -j 2 "${mem_files[@]}" > /dev/null
for ((r = 0; r < runs; ++r)); do
  once j1     "$tool" --quiet -j 1 "${batch_files[@]}"
  once j2     "$tool" --quiet -j 2 "${batch_files[@]}"
  if [[ -n $mem ]]; then
    once j1_mem "$tool" --quiet -j 1 "${mem_files[@]}"
    once j2_mem "$tool" --quiet -j 2 "${mem_files[@]}"
  fi
  cpu_rows
done
# The removed files' blocks are discarded by the file system after the removal (with the
# discard mount option): a second's pause keeps that out of the timed run.
for ((r = 0; r < runs; ++r)); do
  BEFORE='rm -f "$batch"/*.EDT; sync; sleep 1' once j1_new "$tool" --quiet -j 1 "${batch_files[@]}"
  BEFORE='rm -f "$batch"/*.EDT; sync; sleep 1' once j2_new "$tool" --quiet -j 2 "${batch_files[@]}"
  cpu_rows
done

# The conversions must have converted every record.
"$tool" --quiet "$work/big.csv" | grep -q "CSV Records: $records\$" || { echo "UTM run lost records" >&2; exit 1; }

sec() { awk -v t="$1" 'BEGIN{printf "%.3f", t / 1e6}'; }
rate() { awk -v n="$1" -v t="$2" 'BEGIN{printf "%.2f M", n / (t / 1e6) / 1e6}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN{printf "%.2fx", a / b}'; }
mib() { awk -v k="$1" 'BEGIN{printf "%.1f MiB", k / 1024}'; }

echo
printf '%-44s %9s %9s %12s %10s\n' run "wall s" "cpu s" "records/s" "peak RSS"
row() { printf '%-44s %9s %9s %12s %10s\n' "$1" "$(sec "${wall[$2]}")" "${cpu[$2]}" "$3" "$(mib "${rss[$2]}")"; }
row "cat FILE >/dev/null ($records)" cat "-"
row "linecopy: getline/fputs ($records)" linecopy "$(rate "$records" "${wall[linecopy]}")"
row "zelto2edt UTM ($records)" utm "$(rate "$records" "${wall[utm]}")"
row "zelto2edt project TME+shift ($records)" project "$(rate "$records" "${wall[project]}")"
if ((have_cs2cs)); then
  row "cs2cs longlat to UTM ($records)" cs2cs "$(rate "$records" "${wall[cs2cs]}")"
  row "cs2cs longlat to UTM, NAD 27 shift ($records)" cs2cs_shift "$(rate "$records" "${wall[cs2cs_shift]}")"
fi
row "zelto2edt UTM ($small)" utm_s "$(rate "$small" "${wall[utm_s]}")"
row "zelto2edt project ($small)" proj_s "$(rate "$small" "${wall[proj_s]}")"
row "zelto2edt UTM ($huge)" utm_h "$(rate "$huge" "${wall[utm_h]}")"
row "zelto2edt project ($huge)" proj_h "$(rate "$huge" "${wall[proj_h]}")"
row "zelto2edt UTM -j 1, 4 files of $records" j1 "$(rate $((4 * records)) "${wall[j1]}")"
row "zelto2edt UTM -j 2, 4 files of $records" j2 "$(rate $((4 * records)) "${wall[j2]}")"
row "  the same -j 1, no .EDT there before" j1_new "$(rate $((4 * records)) "${wall[j1_new]}")"
row "  the same -j 2, no .EDT there before" j2_new "$(rate $((4 * records)) "${wall[j2_new]}")"
if [[ -n $mem ]]; then
  row "  the same -j 1 on tmpfs, replacing" j1_mem "$(rate $((4 * records)) "${wall[j1_mem]}")"
  row "  the same -j 2 on tmpfs, replacing" j2_mem "$(rate $((4 * records)) "${wall[j2_mem]}")"
fi
row "zelto2edt UTM ($records), in the -j rounds" alone "$(rate "$records" "${wall[alone]}")"
row "  two at once (two processes)" pair "$(rate $((2 * records)) "${wall[pair]}")"
for c in "${cpus[@]}"; do row "  one on CPU $c alone (taskset)" "cpu$c" "$(rate "$records" "${wall[cpu$c]}")"; done
echo
if ((have_cs2cs)); then
  echo "zelto2edt UTM against cs2cs to UTM:            $(ratio "${wall[cs2cs]}" "${wall[utm]}") faster (target at least 5x)"
  echo "zelto2edt project against cs2cs with shift:    $(ratio "${wall[cs2cs_shift]}" "${wall[project]}") faster"
  echo "zelto2edt project against cs2cs to UTM:        $(ratio "${wall[cs2cs]}" "${wall[project]}") faster"
fi
echo "zelto2edt UTM against cat:                     $(ratio "${wall[utm]}" "${wall[cat]}") the time of reading the file"
echo "zelto2edt UTM against linecopy:                $(ratio "${wall[utm]}" "${wall[linecopy]}") the time of copying the lines"
echo "-j 2 against -j 1 on four files:               $(ratio "${wall[j1]}" "${wall[j2]}") replacing the .EDT files, $(ratio "${wall[j1_new]}" "${wall[j2_new]}") writing new ones (target at least 1.8x)"
[[ -z $mem ]] || echo "-j 2 against -j 1 on tmpfs:                    $(ratio "${wall[j1_mem]}" "${wall[j2_mem]}") replacing the .EDT files (the workers without the disk)"
# Four files one after the other against two at a time, each pair as fast as the two
# conversions at once: 2x where two run as fast as one.
echo "-j 2 against -j 1 as two conversions at once:  $(awk -v a="${wall[alone]}" -v p="${wall[pair]}" 'BEGIN{printf "%.2fx", 2 * a / p}') (one alone $(sec "${wall[alone]}") s, two at once $(sec "${wall[pair]}") s)"
echo "peak memory $small -> $records -> $huge records: UTM $(mib "${rss[utm_s]}") -> $(mib "${rss[utm]}") -> $(mib "${rss[utm_h]}"), project $(mib "${rss[proj_s]}") -> $(mib "${rss[project]}") -> $(mib "${rss[proj_h]}") (target under 8 MiB, flat)"
echo "targets: UTM at least 2.20 M records/s, project at least 1.60 M records/s; load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
