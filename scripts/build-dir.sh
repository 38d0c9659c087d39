# Sourced by the build scripts. claim_build_dir DIR SOURCE empties DIR when it
# holds a CMake cache made for another source tree (a moved or re-cloned
# checkout, or a shared temporary folder), which CMake would otherwise refuse.
# Only a folder with a CMakeCache.txt is ever removed.
claim_build_dir() {
  local dir="$1" src cached
  src="$(cd "$2" && pwd -P)"
  [[ -f "$dir/CMakeCache.txt" ]] || return 0
  cached="$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$dir/CMakeCache.txt")"
  if [[ -n "$cached" && "$(cd "$cached" 2>/dev/null && pwd -P)" != "$src" ]]; then
    echo "-- $dir was configured for $cached; starting it afresh for $src" >&2
    rm -rf -- "$dir"
  fi
}
