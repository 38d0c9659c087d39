#!/usr/bin/env bash
# Hand-made faults, one at a time: each entry of scripts/mutants.txt names a product
# file, an exact text that occurs once in it and what replaces it. For each fault the
# script changes the file, rebuilds incrementally, runs the whole CTest suite and
# restores the file; a fault is CAUGHT when at least one test that passes on the
# unchanged tree fails with it, MISSED otherwise. An entry whose text no longer occurs
# exactly once is STALE (the code moved: mend the entry), one that does not compile is
# NOBUILD. The file is restored on every way out (a trap, also on Ctrl-C), and
# touched so that the next build compiles the original again.
#   BUILD_DIR=DIR        build folder (default build-mut/ in this checkout)
#   JOBS=N               parallel build and test jobs (default 2)
#   TEST_TIMEOUT=S       seconds a test may take (default 60; a hang counts as caught)
#   MUT_APP=OFF          leave the Qt dialog and its tests out (default ON)
#   MUTANTS=FILE         the list of faults (default scripts/mutants.txt)
#   ONLY='G01 C03'       run only these ids
#   STOP_AFTER=N         stop the suite once N tests caught the fault (default 3;
#                        0 runs the whole suite and names every catching test)
# Usage: scripts/mutants.sh            (about 20 minutes on 2 cores after the first build)
# Output: one line a fault:  ID  CAUGHT|MISSED|STALE|NOBUILD  first tests that failed
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd -P)"
build="${BUILD_DIR:-$root/build-mut}"
jobs="${JOBS:-2}"
timeout="${TEST_TIMEOUT:-60}"
list="${MUTANTS:-$root/scripts/mutants.txt}"
source "$root/scripts/build-dir.sh"
claim_build_dir "$build" "$root"
mkdir -p "$build"
work="$build/mutants"
mkdir -p "$work"

# ---- restoring the product file, whatever happens -------------------------
saved_file=""   # the file currently changed, relative to root
restore() {
  if [[ -n "$saved_file" ]]; then
    cp -- "$work/original" "$root/$saved_file"
    touch -- "$root/$saved_file"
    saved_file=""
  fi
}
trap 'restore' EXIT
trap 'stop_suite; restore; echo "!! interrupted: the product files are as they were" >&2; exit 130' INT TERM HUP

# ---- build and baseline ----------------------------------------------------
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELTO_BUILD_BENCH=OFF \
  -DZELTO_BUILD_APP="${MUT_APP:-ON}" \
  -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
  -DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld -DCMAKE_SHARED_LINKER_FLAGS=-fuse-ld=lld \
  >"$work/configure.log" 2>&1 || { cat "$work/configure.log" >&2; exit 1; }

export QT_QPA_PLATFORM=offscreen
build_all() { cmake --build "$build" -j "$jobs" >"$work/build.log" 2>&1; }
# Names of the tests that have failed so far in the running (or finished) suite, from
# ctest's progress lines ("  5/367 Test   #5: Name ....***Failed  0.02 sec").
failed_so_far() {
  sed -n 's/^ *[0-9]*\/[0-9]* *Test *#[0-9]*: \([^ ]*\) .*\*\*\*.*/\1/p' "$work/ctest.log" | sort -u
}
# Runs the suite; writes the names of the failed tests, one a line, to $1. With
# STOP_AFTER=N (default 3) the suite is stopped once N tests that pass on the
# unchanged tree have failed: enough to name the first catchers, and much quicker.
ctest_pid=""
run_suite() {
  : >"$work/ctest.log"
  setsid ctest --test-dir "$build" -j "$jobs" --timeout "$timeout" >"$work/ctest.log" 2>&1 &
  ctest_pid=$!
  local stop="${2:-0}"
  while kill -0 "$ctest_pid" 2>/dev/null; do
    sleep 1
    if (( stop > 0 )) && (( $(failed_so_far | comm -23 - "$work/baseline.failed" | grep -c .) >= stop )); then
      kill -TERM -- "-$ctest_pid" 2>/dev/null
      break
    fi
  done
  wait "$ctest_pid" 2>/dev/null
  ctest_pid=""
  failed_so_far >"$1"
}
stop_suite() { [[ -z "$ctest_pid" ]] || kill -TERM -- "-$ctest_pid" 2>/dev/null; }

start=$SECONDS
if ! build_all; then tail -30 "$work/build.log" >&2; echo "!! the unchanged tree does not build" >&2; exit 1; fi
: >"$work/baseline.failed"
run_suite "$work/baseline.failed.new"
mv "$work/baseline.failed.new" "$work/baseline.failed"
if [[ -s "$work/baseline.failed" ]]; then
  echo "!! failing on the unchanged tree (not counted as catching):" $(cat "$work/baseline.failed")
fi
echo "== baseline: built and tested in $((SECONDS - start)) s"

# ---- the faults ------------------------------------------------------------
# mutants.txt: blocks of "key: value" lines, one block a fault, blank lines between;
# keys id, file, find, replace, what. '#' starts a comment line. The find and replace
# texts are taken as they stand after "find: " / "replace: " (leading blanks kept
# beyond the one space after the colon).
python3 - "$list" >"$work/entries" <<'PY' || exit 1
import sys
entries, cur = [], {}
def flush():
    global cur
    if cur:
        missing = [k for k in ("id", "file", "find", "replace", "what") if k not in cur]
        if missing:
            sys.exit(f"mutants: entry {cur.get('id', '?')} lacks {', '.join(missing)}")
        entries.append(cur)
    cur = {}
for raw in open(sys.argv[1], encoding="utf-8"):
    line = raw.rstrip("\n")
    if line.startswith("#"):
        continue
    if not line.strip():
        flush()
        continue
    key, sep, value = line.partition(":")
    if not sep or key not in ("id", "file", "find", "replace", "what"):
        sys.exit(f"mutants: cannot read line: {line}")
    cur[key] = value[1:] if value.startswith(" ") else value
flush()
for e in entries:
    # Fields apart by the unit separator (0x1f), which no source text holds.
    print("\x1f".join(e[k] for k in ("id", "file", "find", "replace", "what")))
PY

# Replaces the one occurrence of $2 by $3 in file $1; exit 3 when it is not exactly one.
apply_fault() {
  python3 - "$@" <<'PY'
import sys
path, find, repl = sys.argv[1], sys.argv[2], sys.argv[3]
text = open(path, encoding="utf-8").read()
if text.count(find) != 1:
    sys.exit(3)
open(path, "w", encoding="utf-8").write(text.replace(find, repl, 1))
PY
}

caught=0; missed=0; stale=0; nobuild=0; total=0
while IFS=$'\x1f' read -r -u 3 id file find replace what; do
  if [[ -n "${ONLY:-}" && " $ONLY " != *" $id "* ]]; then continue; fi
  total=$((total + 1))
  t0=$SECONDS
  if [[ ! -f "$root/$file" ]]; then
    printf '%-5s %-8s %s\n' "$id" STALE "($file not found)"; stale=$((stale + 1)); continue
  fi
  cp -- "$root/$file" "$work/original"
  saved_file="$file"
  if ! apply_fault "$root/$file" "$find" "$replace"; then
    restore
    printf '%-5s %-8s %s\n' "$id" STALE "(text not found once in $file)"; stale=$((stale + 1)); continue
  fi
  if ! build_all; then
    cp "$work/build.log" "$work/$id.build.log"
    restore
    printf '%-5s %-8s %s\n' "$id" NOBUILD "(see $work/$id.build.log)"; nobuild=$((nobuild + 1)); continue
  fi
  run_suite "$work/$id.failed" "${STOP_AFTER:-3}"
  restore
  catchers="$(comm -23 "$work/$id.failed" "$work/baseline.failed")"
  n="$(grep -c . <<<"$catchers")"
  if [[ -n "$catchers" ]]; then
    caught=$((caught + 1))
    printf '%-5s %-8s %3d s  %3d tests: %s\n' "$id" CAUGHT $((SECONDS - t0)) "$n" \
      "$(head -3 <<<"$catchers" | paste -sd' ')"
  else
    missed=$((missed + 1))
    printf '%-5s %-8s %3d s  %s\n' "$id" MISSED $((SECONDS - t0)) "$what ($file)"
  fi
done 3<"$work/entries"

# Leave the build as the unchanged tree builds it.
build_all || true
echo "== $total faults: $caught caught, $missed missed, $stale stale, $nobuild did not build;" \
     "$((SECONDS - start)) s in all"
[[ $missed -eq 0 && $stale -eq 0 && $nobuild -eq 0 ]]
