#!/usr/bin/env bash
# vortan fwd / inv against proj / proj -I on the same million points, side by
# side in one run, and the ratio. The grid is the harbour definition's (UTM
# zone 11 on Clarke 1866, no adjustment), given to proj as the same tmerc.
# Both print the same decimals (3 for metres, 9 for degrees); the script
# checks that both give the same numbers before it times anything.
#
# Usage: bench/vortan_tool/run.sh [POINTS]    (default 1000000)
# Uses $BUILD_BENCH/tools/vortan/vortan (default build-bench/, else build/).
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_BENCH:-$root/build-bench}
[[ -x $build/tools/vortan/vortan ]] || build=$root/build
vortan=$build/tools/vortan/vortan
def=$root/examples/harbour_geodesy.ini
grid=(+proj=tmerc +lon_0=-117 +k=0.9996 +x_0=500000 +ellps=clrk66)
points=${1:-1000000}
runs=3
command -v proj > /dev/null || { echo "proj not found: nothing to compare with" >&2; exit 1; }
[[ -x $vortan ]] || { echo "no vortan in $build" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Scrambled points over 6 x 6 degrees around the zone's central meridian.
awk -v n="$points" 'BEGIN { s = 12345; m = 2147483648
  for (i = 0; i < n; i++) {
    s = (s * 1103515245 + 12345) % m; lat = 30 + 6 * s / m
    s = (s * 1103515245 + 12345) % m; lon = -120 + 6 * s / m
    printf "%.7f %.7f\n", lat, lon } }' > "$work/latlon.txt"
"$vortan" --def "$def" fwd "$work/latlon.txt" > "$work/xy.txt"

# Same numbers first: the largest difference between the two outputs.
maxdiff() {
  paste -d' ' "$1" "$2" | tr '\t' ' ' |
    awk '{ for (i = 1; i <= 2; ++i) { d = $i - $(i + 2); if (d < 0) d = -d; if (d > m) m = d } } END { print m + 0 }'
}
proj -r -f %.3f "${grid[@]}" "$work/latlon.txt" > "$work/proj_xy.txt"
"$vortan" --def "$def" inv "$work/xy.txt" > "$work/ll.txt"
proj -I -s -f %.9f "${grid[@]}" "$work/xy.txt" > "$work/proj_ll.txt"
echo "largest difference to proj: fwd $(maxdiff "$work/xy.txt" "$work/proj_xy.txt") m," \
  "inv $(maxdiff "$work/ll.txt" "$work/proj_ll.txt") degrees (one unit of the last printed decimal is rounding)"

# Best of $runs wall-clock and CPU (user + system) seconds of the whole process.
best() {  # best OUTVAR_WALL OUTVAR_CPU command...
  local -n wall_out=$1 cpu_out=$2
  shift 2
  wall_out= cpu_out=
  for ((r = 0; r < runs; ++r)); do
    local t
    t=$( { /usr/bin/time -f '%e %U %S' "$@" > /dev/null; } 2>&1 | tail -n 1)
    read -r w u s <<< "$t"
    local c
    c=$(awk -v u="$u" -v s="$s" 'BEGIN { print u + s }')
    if [[ -z $wall_out ]] || awk -v a="$w" -v b="$wall_out" 'BEGIN { exit !(a < b) }'; then wall_out=$w; fi
    if [[ -z $cpu_out ]] || awk -v a="$c" -v b="$cpu_out" 'BEGIN { exit !(a < b) }'; then cpu_out=$c; fi
  done
}

echo "$points points, best of $runs, whole process, output to /dev/null; load: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-8s %-28s %8s %8s %12s\n' "" "program" "wall s" "cpu s" "M points/s"
report() {  # report LABEL PROGRAM WALL CPU
  awk -v l="$1" -v p="$2" -v w="$3" -v c="$4" -v n="$points" \
    'BEGIN { printf "%-8s %-28s %8.3f %8.3f %12.2f\n", l, p, w, c, n / 1e6 / (w > 0 ? w : 1e-9) }'
}
for dir in fwd inv; do
  if [[ $dir == fwd ]]; then
    best ow oc "$vortan" --def "$def" fwd "$work/latlon.txt"
    best pw pc proj -r -f %.3f "${grid[@]}" "$work/latlon.txt"
    peer="proj"
  else
    best ow oc "$vortan" --def "$def" inv "$work/xy.txt"
    best pw pc proj -I -s -f %.9f "${grid[@]}" "$work/xy.txt"
    peer="proj -I"
  fi
  report "$dir" "vortan $dir" "$ow" "$oc"
  report "" "$peer" "$pw" "$pc"
  awk -v d="$dir" -v ow="$ow" -v pw="$pw" -v oc="$oc" -v pc="$pc" \
    'BEGIN { printf "%-8s vortan is %.1fx faster (wall), %.1fx (cpu)\n", d, pw / ow, pc / (oc > 0 ? oc : 1e-9) }'
done
