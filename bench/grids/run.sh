#!/usr/bin/env bash
# The public grids of PROJ's data package imported with `vortan grid import`
# and compared with PROJ on the original files:
#   - grids_vs_proj: EGM96 through `Undulation` against vgridshift at every
#     node and at 10,000 points over the globe; each NTv2 grid through a
#     definition file naming it (DynDatum) against hgridshift at every node
#     and at 1,000 points inside it; largest and RMS difference (metres);
#   - the same through the command-line tools on a few points: `vortan
#     undulation` beside `cct` with the GTX as a vertical grid, and `vortan
#     to-wgs84` beside `cs2cs +nadgrids=BETA2007.gsb`.
# Skips with a notice when the grids or PROJ's tools are absent.
#
# Usage: bench/grids/run.sh   (BUILD_BENCH=build folder, PROJ_GRIDS=grid folder)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${BUILD_BENCH:-$root/build-bench}
grids=${PROJ_GRIDS:-/usr/share/proj}
vortan=$build/tools/vortan/vortan
compare=$build/bench/grids/grids_vs_proj
ntv2=(BETA2007 ntf_r93 nzgd2kgrid0005 CHENYX06)

for f in egm96_15.gtx "${ntv2[@]/%/.gsb}"; do
  [[ -f $grids/$f ]] || { echo "skipped: $grids/$f is missing (Debian package proj-data)"; exit 0; }
done
for t in cct cs2cs; do
  command -v $t >/dev/null || { echo "skipped: $t is missing (Debian package proj-bin)"; exit 0; }
done
[[ -x $vortan && -x $compare ]] || { echo "no $vortan or $compare: build the targets vortan and grids_vs_proj" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/datum"
"$vortan" grid import "$grids/egm96_15.gtx" "$work/datum/egm96_15.grd" --text "EGM96 15' geoid" >/dev/null
for g in "${ntv2[@]}"; do "$vortan" grid import "$grids/$g.gsb" "$work/datum/$g.grd" >/dev/null; done
# The same grids with every cell split (vortan grid import --densify N).
"$vortan" grid import --densify 3 "$grids/egm96_15.gtx" "$work/datum/egm96_15_d3.grd" >/dev/null
"$vortan" grid import --densify 10 "$grids/BETA2007.gsb" "$work/datum/BETA2007_d10.grd" >/dev/null
"$vortan" grid import --densify 6 "$grids/ntf_r93.gsb" "$work/datum/ntf_r93_d6.grd" >/dev/null
"$vortan" grid import --densify 6 "$grids/nzgd2kgrid0005.gsb" "$work/datum/nzgd2kgrid0005_d6.grd" >/dev/null

echo "PROJ $(cct --version 2>&1 | head -n1 | sed 's/^[^0-9]*//'), grids from $grids"
"$compare" "$work" "$grids" gtx:egm96_15 "${ntv2[@]/#/gsb:}" \
  gtx:egm96_15:egm96_15_d3 gsb:BETA2007:BETA2007_d10 gsb:ntf_r93:ntf_r93_d6 gsb:nzgd2kgrid0005:nzgd2kgrid0005_d6

echo
echo "command line, a few points: vortan undulation | cct vgridshift (metres)"
points="0 0
52.5 13.4
-33.9 18.4
27.99 86.93
-89.9 179.9"
export QVO_BRAMIX=$work
printf '[Geodesy]\nProjection=TME\nSemiMajorAxis=6378137\nFlattening=298.257223563\nGeoid=egm96_15.grd\n' > "$work/egm.ini"
paste <(echo "$points" | "$vortan" --def "$work/egm.ini" --precision 4 undulation) \
      <(echo "$points" | awk '{print $2, $1, 0}' | cct -d 4 +proj=vgridshift +grids="$grids/egm96_15.gtx" +multiplier=1 | awk '{print $3}')

echo
echo "command line, a few points in Germany (DHDN): vortan to-wgs84 | cs2cs +nadgrids=BETA2007.gsb (lat lon)"
printf '[Geodesy]\nProjection=TME\nSemiMajorAxis=6377397.155\nFlattening=299.1528128\nCentralMeridian=9\nDynDatum=BETA2007.grd\n' > "$work/dhdn.ini"
points="52.5 13.4
48.1 11.6
50.94 6.96
53.55 9.99"
paste <(echo "$points" | "$vortan" --def "$work/dhdn.ini" --precision 3 to-wgs84 | awk '{print $1, $2}') \
      <(echo "$points" | awk '{print $2, $1}' | cs2cs -f %.9f +proj=longlat +ellps=bessel +nadgrids="$grids/BETA2007.gsb" \
          +to +proj=longlat +ellps=WGS84 +towgs84=0,0,0 | awk '{print $2, $1}')
