#!/usr/bin/env bash
# Compares the .EDT bytes two builds of zelto2edt write for the same large inputs: a
# change for speed must leave every byte as it was. Standard UTM on several ellipsoids,
# project mode on several definitions (a three-value translation, seven parameters with
# rotations and scale, a Lambert grid, and datum-shift grids of two and three values a
# node), on generated exports of varied contents (make_varied_csv.py) and on the survey
# of the throughput runs (make_survey_csv.py). Prints one line per comparison and exits 1
# when any pair differs.
#
# Usage: bench/converter/compare_outputs.sh BEFORE_ZELTO2EDT AFTER_ZELTO2EDT [RECORDS]
#   RECORDS: records per generated file (default 1000000)
set -euo pipefail

[[ $# -ge 2 ]] || { sed -n '2,11p' "$0" >&2; exit 2; }
before=$1 after=$2 records=${3:-1000000}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
for t in "$before" "$after"; do [[ -x $t ]] || { echo "no program $t" >&2; exit 2; }; done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/datum" "$work/in"

echo "generating $records records a file ..."
python3 "$here/make_varied_csv.py" "$records" "$work/in/world.csv"
python3 "$here/make_varied_csv.py" "$records" "$work/in/region.csv" --region 30,-123,40,-111 --seed 7
python3 "$here/make_survey_csv.py" "$records" "$work/in/harbour.csv"

# Datum grids over the region: latitude and longitude shifts in arc-seconds (two values
# a node), and dx, dy, dz in metres (three values a node); smooth fields with a ripple so
# that every cell differs.
python3 - "$work/datum" <<'EOF'
import math, struct, sys
def grid(path, values, fn):
    cols, rows, west, south, step = 61, 49, -124.0, 29.0, 0.25
    record = 4 + 4 * cols * values
    with open(path, "wb") as f:
        head = bytearray(max(record, 96))
        head[0:9] = b"test grid"
        head[56:64] = b"QUORVANE"
        struct.pack_into("<iiiffff", head, 64, cols, rows, values, west, step, south, step)
        f.write(head)
        for r in range(rows):
            rec = bytearray(record)
            for c in range(cols):
                for k in range(values):
                    struct.pack_into("<f", rec, 4 + 4 * (c * values + k), fn(r, c, k))
            f.write(rec)
grid(sys.argv[1] + "/ll.grd", 2, lambda r, c, k: (0.35 + 0.01 * r - 0.004 * c + 0.05 * math.sin(r * c)) if k == 0
     else (-2.7 + 0.02 * c + 0.03 * math.cos(r + c)))
grid(sys.argv[1] + "/xyz.grd", 3, lambda r, c, k: [-8.0 + 0.1 * r, 160.0 - 0.05 * c, 176.0 + math.sin(r - c)][k])
EOF

defs=()
define() { printf '[Geodesy]\n%s\n' "$2" > "$work/$1.ini"; defs+=("$1"); }
cp "$root/examples/harbour_geodesy.ini" "$work/harbour.ini"
defs+=(harbour)
define sevenparam "Projection=TransMerc
SemiMajorAxis=6377563.396
Flattening=299.3249646
ScaleFactor=0.9996012717
RefLatitude=49
CentralMeridian=-117
FalseEasting=400000
FalseNorthing=-100000
DeltaX=-446.448
DeltaY=125.157
DeltaZ=-542.06
DeltaScale=20.4894
DeltaRX=-0.1502
DeltaRY=-0.247
DeltaRZ=-0.8421"
define lambert "Projection=LCC
SemiMajorAxis=6378137
Flattening=298.257222101
ScaleFactor=1
RefLatitude=33.5
CentralMeridian=-118
NorthParallel=37
SouthParallel=31
FalseEasting=2000000
FalseNorthing=500000
DeltaX=1.2
DeltaY=-0.9
DeltaZ=-0.5
DeltaRX=0.02
DeltaRY=-0.03
DeltaRZ=0.01"
define gridll "Projection=TME
SemiMajorAxis=6378206.4
Flattening=294.9786982
ScaleFactor=0.9996
CentralMeridian=-117
FalseEasting=500000
DynDatum=ll.grd"
define gridxyz "Projection=UTM
SemiMajorAxis=6378388
Flattening=297
ScaleFactor=0.9996
CentralMeridian=-117
FalseEasting=500000
DynDatum=xyz.grd"
export QVO_BRAMIX=$work

fail=0 count=0
# compare LABEL INPUT ARGS...: converts INPUT with both programs and compares the .EDT files
# and the summary lines.
compare() {
  local label=$1 input=$2; shift 2
  local b a
  for side in before after; do
    mkdir -p "$work/$side"
    cp "$work/in/$input.csv" "$work/$side/$input.csv"
    local prog=$before; [[ $side == after ]] && prog=$after
    "$prog" --quiet "$@" "$work/$side/$input.csv" > "$work/$side/out.txt" 2> "$work/$side/err.txt" || true
    sed -i "s|$work/$side/||g" "$work/$side/out.txt" "$work/$side/err.txt"
  done
  count=$((count + 1))
  if cmp -s "$work/before/$input.EDT" "$work/after/$input.EDT" && cmp -s "$work/before/out.txt" "$work/after/out.txt" &&
     cmp -s "$work/before/err.txt" "$work/after/err.txt"; then
    echo "same       $label: $(stat -c %s "$work/after/$input.EDT") bytes, $(head -1 "$work/after/out.txt" | sed 's/^[^:]*: *//'), md5 $(md5sum < "$work/after/$input.EDT" | cut -c1-12)"
  else
    echo "DIFFERENT  $label"; fail=1
    cmp "$work/before/$input.EDT" "$work/after/$input.EDT" | head -1 || true
  fi
  rm -f "$work"/{before,after}/*
}

for row in 23 1 7 12 15 20; do
  compare "UTM, ellipsoid row $row, world" world --ellipsoid "$row"
done
compare "UTM, WGS-84, harbour survey" harbour
for d in "${defs[@]}"; do
  compare "project $d, region" region --geodesy "$work/$d.ini"
done
compare "project harbour, harbour survey" harbour --geodesy "$work/harbour.ini"
compare "project gridll, world (mostly off the grid)" world --geodesy "$work/gridll.ini"

echo
if ((fail)); then echo "$count comparisons: some outputs DIFFER"; exit 1; fi
echo "$count comparisons: every .EDT file and summary line identical"
