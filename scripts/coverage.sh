#!/usr/bin/env bash
# Line coverage of the two libraries by the whole test suite.
# Builds the libraries, tools and tests with gcov instrumentation (-O0 --coverage)
# in a folder of its own, clears the counters left by an earlier run, runs every
# CTest test, and prints the share of executable lines run at least once in
# geodesy/ and in converter/, each and together, then one line a source file.
# A line counts once however many objects hold it (a header's inline code is
# compiled into several objects: it is covered when any of them ran it).
#   BUILD_DIR=DIR   build folder (default build-cov/ in this checkout)
#   JOBS=N          parallel build and test jobs (default 2)
#   COV_APP=OFF     leave the Qt dialog and its tests out (default ON)
#   COV_FILES=0     print only the totals, not the per-file table
# Usage: scripts/coverage.sh            (about 10 minutes on 2 cores, cold ccache)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd -P)"
build="${BUILD_DIR:-$root/build-cov}"
jobs="${JOBS:-2}"
source "$root/scripts/build-dir.sh"
claim_build_dir "$build" "$root"
mkdir -p "$build"
logs="$build/coverage"   # configure, build, ctest logs and the gcov output
mkdir -p "$logs"
gcov_json="$logs/gcov.json"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Coverage \
  "-DCMAKE_C_FLAGS_COVERAGE=-O0 -g --coverage" "-DCMAKE_CXX_FLAGS_COVERAGE=-O0 -g --coverage" \
  -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage \
  -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
  -DZELTO_BUILD_BENCH=OFF -DZELTO_BUILD_APP="${COV_APP:-ON}" >"$logs/configure.log" 2>&1 \
  || { cat "$logs/configure.log" >&2; exit 1; }
cmake --build "$build" -j "$jobs" >"$logs/build.log" 2>&1 \
  || { tail -40 "$logs/build.log" >&2; exit 1; }

# Stale counters would add an earlier run's lines to this one.
find "$build" -name '*.gcda' -delete
rm -f "$gcov_json"

export QT_QPA_PLATFORM=offscreen
set +e
ctest --test-dir "$build" -j "$jobs" --timeout 600 >"$logs/ctest.log" 2>&1
ctest_rc=$?
set -e
summary="$(grep -E '^[0-9]+% tests passed' "$logs/ctest.log" || echo 'no ctest summary')"

# gcov writes its JSON to stdout (-t); the objects are found from the .gcno files.
find "$build" -name '*.gcno' -print0 | sort -z \
  | (cd "$build" && xargs -0 -n 40 gcov -i -t 2>/dev/null) >"$gcov_json"

echo "== line coverage by the test suite ($summary)"
[[ $ctest_rc -eq 0 ]] || echo "!! some tests failed (see $logs/ctest.log): the figures count what ran"
python3 - "$root" "$gcov_json" "${COV_FILES:-1}" <<'PY'
import json, os, sys
root, path, per_file = sys.argv[1], sys.argv[2], sys.argv[3] != "0"
lines = {}  # source (relative to root) -> {line: covered}
with open(path, encoding="utf-8", errors="replace") as f:
    for text in f:
        text = text.strip()
        if not text.startswith("{"):
            continue
        doc = json.loads(text)
        cwd = doc.get("current_working_directory", "")
        for src in doc.get("files", []):
            name = os.path.normpath(os.path.join(cwd, src["file"]))
            rel = os.path.relpath(os.path.realpath(name), root)
            if not (rel.startswith("geodesy/") or rel.startswith("converter/")):
                continue
            seen = lines.setdefault(rel, {})
            for ln in src.get("lines", []):
                n = ln["line_number"]
                seen[n] = seen.get(n, False) or ln["count"] > 0

def share(files):
    total = sum(len(lines[f]) for f in files)
    run = sum(sum(v for v in lines[f].values()) for f in files)
    return run, total, (100.0 * run / total if total else 0.0)

# Files without an executable line (declarations only) are left out.
lines = {f: v for f, v in lines.items() if v}
groups = [("geodesy/", [f for f in lines if f.startswith("geodesy/")]),
          ("converter/", [f for f in lines if f.startswith("converter/")]),
          ("together", list(lines))]
for label, files in groups:
    run, total, pct = share(files)
    print(f"{label:<12} {pct:6.2f}%  {run:6d} of {total:6d} lines  ({len(files)} files)")
if per_file:
    print("-- per file (lines run / executable lines)")
    for f in sorted(lines):
        run, total, pct = share([f])
        print(f"  {pct:6.2f}%  {run:5d} / {total:5d}  {f}")
PY
