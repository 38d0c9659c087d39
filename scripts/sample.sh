#!/usr/bin/env bash
# Sets up, builds, converts the bundled harbour survey and shows the start of the result.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh >/dev/null
out=${BUILD_DIR:-build}/sample
mkdir -p "$out"
cp examples/harbour_survey.csv "$out/"
"${BUILD_DIR:-build}"/tools/zelto2edt/zelto2edt "$out/harbour_survey.csv"
echo "--- $out/harbour_survey.EDT (first 26 lines, CR shown as ^M) ---"
head -n 26 "$out/harbour_survey.EDT" | cat -v
