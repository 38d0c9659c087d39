#!/usr/bin/env bash
# Whole-process figures of zelto2edt on generated survey exports, all taken in one run:
#   - records per second in standard UTM mode and in project mode (the harbour
#     project's TME definition with its WGS-84 shift, examples/harbour_geodesy.ini)
#     on 1,000,000 records;
#   - peak resident memory (/usr/bin/time "Maximum resident set size") on 100,000 and
#     1,000,000 records, both modes: it must not grow with the file;
#   - PROJ's cs2cs projecting the same 1,000,000 positions from a plain text file to UTM;
#   - cat FILE >/dev/null on the same CSV, the floor any reader of the file stands on.
# Each figure is the best of RUNS (default 5) wall-clock times; user+system CPU of that
# run is shown beside it, so that a run slowed by another process on the machine shows.
#
# Usage: bench/converter/run.sh [RECORDS]   (default 1000000; BUILD_BENCH=build folder)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${BUILD_BENCH:-$root/build-bench}
tool=$build/tools/zelto2edt/zelto2edt
runs=${RUNS:-5}
records=${1:-1000000}
small=$((records / 10))
ini=$root/examples/harbour_geodesy.ini

[[ -x $tool ]] || { echo "no $tool: build the zelto2edt target first" >&2; exit 1; }
command -v /usr/bin/time >/dev/null || { echo "needs /usr/bin/time (package time)" >&2; exit 1; }
have_cs2cs=0
command -v cs2cs >/dev/null && have_cs2cs=1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "generating $records and $small records ..."
python3 "$here/make_survey_csv.py" "$records" "$work/big.csv" --positions "$work/big.txt"
python3 "$here/make_survey_csv.py" "$small" "$work/small.csv"
echo "$(du -m "$work/big.csv" | cut -f1) MB, $(wc -l < "$work/big.csv") lines; load: $(cut -d' ' -f1-3 /proc/loadavg)"

# best NAME CMD...: runs CMD $runs times (stdout to /dev/null), keeps the best wall time.
declare -A wall cpu rss
best() {
  local name=$1; shift
  local b= bc= br=
  for ((r = 0; r < runs; ++r)); do
    local t0 t1
    t0=$(date +%s%N)
    /usr/bin/time -f '%U %S %M' -o "$work/time" "$@" > /dev/null
    t1=$(date +%s%N)
    local t=$(( (t1 - t0) / 1000 ))  # microseconds
    read -r u s m < "$work/time"
    if [[ -z $b ]] || ((t < b)); then b=$t; bc=$(awk -v u="$u" -v s="$s" 'BEGIN{printf "%.2f", u + s}'); br=$m; fi
  done
  wall[$name]=$b cpu[$name]=$bc rss[$name]=$br
}

best cat      cat "$work/big.csv"
best utm      "$tool" --quiet "$work/big.csv"
best project  "$tool" --quiet --geodesy "$ini" "$work/big.csv"
best utm_s    "$tool" --quiet "$work/small.csv"
best proj_s   "$tool" --quiet --geodesy "$ini" "$work/small.csv"
if ((have_cs2cs)); then
  best cs2cs  cs2cs +proj=longlat +datum=WGS84 +to +proj=utm +zone=11 +datum=WGS84 "$work/big.txt"
fi

# The conversions must have converted every record.
"$tool" --quiet "$work/big.csv" | grep -q "CSV Records: $records\$" || { echo "UTM run lost records" >&2; exit 1; }

sec() { awk -v t="$1" 'BEGIN{printf "%.3f", t / 1e6}'; }
rate() { awk -v n="$1" -v t="$2" 'BEGIN{printf "%.2f M", n / (t / 1e6) / 1e6}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN{printf "%.2fx", a / b}'; }
mib() { awk -v k="$1" 'BEGIN{printf "%.1f MiB", k / 1024}'; }

echo
printf '%-38s %9s %9s %12s %10s\n' run "wall s" "cpu s" "records/s" "peak RSS"
row() { printf '%-38s %9s %9s %12s %10s\n' "$1" "$(sec "${wall[$2]}")" "${cpu[$2]}" "$3" "$(mib "${rss[$2]}")"; }
row "cat FILE >/dev/null ($records)" cat "-"
row "zelto2edt UTM ($records)" utm "$(rate "$records" "${wall[utm]}")"
row "zelto2edt project TME+shift ($records)" project "$(rate "$records" "${wall[project]}")"
row "zelto2edt UTM ($small)" utm_s "$(rate "$small" "${wall[utm_s]}")"
row "zelto2edt project ($small)" proj_s "$(rate "$small" "${wall[proj_s]}")"
((have_cs2cs)) && row "cs2cs longlat to UTM ($records)" cs2cs "$(rate "$records" "${wall[cs2cs]}")"
echo
echo "zelto2edt UTM against cs2cs:        $( ((have_cs2cs)) && ratio "${wall[cs2cs]}" "${wall[utm]}" || echo -) faster (target at least 2x)"
echo "zelto2edt project against cs2cs:    $( ((have_cs2cs)) && ratio "${wall[cs2cs]}" "${wall[project]}" || echo -) faster"
echo "zelto2edt UTM against cat:          $(ratio "${wall[utm]}" "${wall[cat]}") the time of reading the file"
echo "peak memory $small -> $records records: UTM $(mib "${rss[utm_s]}") -> $(mib "${rss[utm]}"), project $(mib "${rss[proj_s]}") -> $(mib "${rss[project]}") (target under 16 MiB, no growth)"
echo "targets: UTM at least 2.00 M records/s, project at least 1.00 M records/s; load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
