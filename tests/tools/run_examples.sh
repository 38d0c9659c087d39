#!/usr/bin/env bash
# Runs the command examples of Markdown files and compares their output.
#
#   run_examples.sh --root REPO [--bin DIR]... FILE...
#
# The format, for anyone writing docs:
#   - Examples live in code blocks: fenced (``` lines) or indented by four
#     blanks. Blocks without a "$ " line are left alone.
#   - In a block, a line that starts with "$ " is a command; the lines after it,
#     up to the next "$ " line or the end of the block, are what it prints
#     (standard output and standard error together, as on a terminal).
#     Blank lines at the end of an expected output are not part of it.
#   - A line "..." in an expected output stands for any number of lines.
#   - Commands run with bash, in the order of the file, in a scratch copy of
#     the repository root (examples/ is copied, everything else linked), so
#     paths are written as from the repository root and files a command
#     writes are there for the next command of the same file. Each FILE gets
#     its own scratch copy. The --bin folders come first on PATH.
#   - A variable a command exports (`$ export NAME=value`) is set for the
#     commands after it in the same file; a command is one line.
#   - To show an exit status, write it into the command: `...; echo "exit $?"`.
# Exit status 0 when every example printed what its text shows, 1 otherwise.
set -uo pipefail

root=
bins=()
files=()
while (($#)); do
  case $1 in
    --root) root=$2; shift 2 ;;
    --bin) bins+=("$2"); shift 2 ;;
    *) files+=("$1"); shift ;;
  esac
done
[[ -n $root && ${#files[@]} -gt 0 ]] || { echo "usage: $0 --root REPO [--bin DIR]... FILE..." >&2; exit 2; }
for b in "${bins[@]}"; do PATH=$b:$PATH; done
export PATH LC_ALL=C.UTF-8

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0 count=0

# Fresh scratch copy of the repository root: examples/ copied, the rest linked.
fresh_root() {
  rm -rf "$scratch/root" && mkdir -p "$scratch/root" && cp -r "$root/examples" "$scratch/root/"
  find "$root" -mindepth 1 -maxdepth 1 ! -name '.*' ! -name 'build*' ! -name out ! -name examples \
    -exec ln -s {} "$scratch/root/" \;
}

# Drops blank lines at the end of a text.
trim() { sed -e :a -e '/^\n*$/{$d;N;ba' -e '}'; }

# True when the text on stdin fits the expected lines in $1, where "..."
# stands for any number of lines.
fits() {
  awk -v expfile="$1" '
    BEGIN { n = 0; while ((getline l < expfile) > 0) e[++n] = l }
    { a[++m] = $0 }
    function match_from(i, j,   k) {
      if (i > n) return j > m
      if (e[i] == "...") { for (k = j; k <= m + 1; ++k) if (match_from(i + 1, k)) return 1; return 0 }
      return j <= m && a[j] == e[i] && match_from(i + 1, j + 1)
    }
    END { exit match_from(1, 1) ? 0 : 1 }'
}

run_example() {  # FILE LINE COMMAND (expected output in $scratch/expected)
  local file=$1 line=$2 cmd=$3
  ((count++))
  # Variables a command exports stay for the commands after it in the same file.
  (cd "$scratch/root" && timeout 60 bash -c "source '$scratch/env'
$cmd
export -p > '$scratch/env'" 2>&1) | trim > "$scratch/actual"
  trim < "$scratch/expected_raw" > "$scratch/expected"
  if ! fits "$scratch/expected" < "$scratch/actual"; then
    ((failures++))
    echo "FAIL $file:$line: \$ $cmd"
    diff -u --label expected --label actual "$scratch/expected" "$scratch/actual" | tail -n +3
  fi
}

for file in "${files[@]}"; do
  fresh_root
  : > "$scratch/env"
  in_fence=0 in_indent=0 cmd= cmdline=0 n=0
  : > "$scratch/expected_raw"
  flush() {
    if [[ -n $cmd ]]; then run_example "$file" "$cmdline" "$cmd"; fi
    cmd=
    : > "$scratch/expected_raw"
  }
  while IFS= read -r text || [[ -n $text ]]; do
    ((n++))
    if [[ $text =~ ^[[:space:]]*\`\`\` ]]; then
      flush
      in_fence=$((!in_fence))
      continue
    fi
    body=
    if ((in_fence)); then
      body=$text
    elif [[ $text == "    "* ]]; then
      body=${text:4}
      in_indent=1
    else
      ((in_indent)) && flush
      in_indent=0
      continue
    fi
    if [[ $body == '$ '* ]]; then
      flush
      cmd=${body:2}
      cmdline=$n
    elif [[ -n $cmd ]]; then
      printf '%s\n' "$body" >> "$scratch/expected_raw"
    fi
  done < "$file"
  flush
done
echo "$count examples, $failures failed"
((failures == 0))
