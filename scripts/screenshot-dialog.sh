#!/usr/bin/env bash
# Renders the conversion dialog after a run over the harbour survey into docs/dialog.png,
# without a display (Qt's offscreen platform, the window grabbed into an image).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  cmake -S . -B "$BUILD_DIR" ${CMAKE_EXTRA_ARGS:-} >/dev/null
fi
cmake --build "$BUILD_DIR" --target ZeltoConverterScreenshot -j "$(nproc)" >/dev/null
QT_QPA_PLATFORM=offscreen "$BUILD_DIR/app/ZeltoConverterScreenshot" \
  examples/harbour_survey.csv "${1:-docs/dialog.png}" 2> >(grep -v 'propagateSizeHints\|XDG_RUNTIME_DIR' >&2)
echo "wrote ${1:-docs/dialog.png}"
