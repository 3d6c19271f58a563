#!/usr/bin/env bash
# Checks every shell script with shellcheck, every C++ file against the
# repository's .clang-format and every Python file (the Ansible collection,
# its tests, bench/) with pycodestyle, configured in setup.cfg, and pyflakes,
# changing nothing.
#
#   lint.sh    -> one line per finding, then a summary; exit 1 on any finding
#                 (a tool that fails counts as one), 2 when a tool is missing
#
# Scripts are the repository's files named *.sh or *.bash, or opening with a sh/bash
# line, plus *.sh files that git does not know yet, so that a new script is
# checked from its first run. CLANG_FORMAT names another clang-format; the
# style file is tuned for version 14, and other versions break some lines
# differently.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
clang_format=${CLANG_FORMAT:-$(command -v clang-format-14 || command -v clang-format || true)}
for tool in shellcheck "$clang_format" pycodestyle pyflakes3; do
  if [ -z "$tool" ] || ! command -v "$tool" >/dev/null; then
    echo "lint.sh: ${tool:-clang-format} is missing (scripts/install-deps.sh installs it)" >&2
    exit 2
  fi
done

# File lists travel NUL-separated, so that no name is split.
tracked() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z -- "$@"
  fi
}
# git still lists a tracked file that was deleted since; only files there count.
existing() {
  local file
  while IFS= read -r -d '' file; do
    if [ -f "$file" ]; then printf '%s\0' "$file"; fi
  done
}
is_shell_script() {
  local first="" shebang='^#!.*[/ ](ba)?sh([[:space:]]|$)'
  case "$1" in *.sh | *.bash) return 0 ;; esac
  IFS= read -r first 2>/dev/null <"$1" || true
  [[ "$first" =~ $shebang ]]
}

scripts=()
while IFS= read -r -d '' file; do
  if is_shell_script "$file"; then scripts+=("$file"); fi
done < <({ tracked; find . \( -path ./build -o -path ./.git \) -prune -o -type f -name '*.sh' -printf '%P\0'; } |
         existing | sort -zu)

sources=()
while IFS= read -r -d '' file; do sources+=("$file"); done < <(tracked '*.cpp' '*.h' | existing | sort -z)

python=()
while IFS= read -r -d '' file; do python+=("$file"); done < <(
  { tracked '*.py'; find . \( -path ./build -o -path ./.git \) -prune -o -type f -name '*.py' -printf '%P\0'; } |
  existing | sort -zu)

findings=0
report() {  # finding lines...
  [ "$#" -gt 0 ] || return 0
  printf '%s\n' "$@"
  findings=$((findings + $#))
}

# Sourced files are followed, looked up beside the script that sources them.
script_findings=0
if [ "${#scripts[@]}" -gt 0 ] && ! out=$(shellcheck -x -P SCRIPTDIR -f gcc "${scripts[@]}" 2>&1); then
  mapfile -t lines <<<"$out"
  report "${lines[@]}"
  script_findings=${#lines[@]}
fi

format_files=0
for file in "${sources[@]}"; do
  out=$("$clang_format" --dry-run --Werror --style=file "$file" 2>&1) && continue
  # The lines that name a place; the code excerpts under them are left out.
  mapfile -t lines < <(printf '%s\n' "$out" |
    awk -v f="$file:" 'index($0, f) == 1 { sub(/ \[-Wclang-format-violations\]$/, ""); print }')
  [ "${#lines[@]}" -gt 0 ] || lines=("$file: clang-format failed: ${out%%$'\n'*}")
  report "${lines[@]}"
  format_files=$((format_files + 1))
done

format_findings=$((findings - script_findings))

# Both print one "file:line:column: message" line per finding.
if [ "${#python[@]}" -gt 0 ]; then
  for checker in pycodestyle pyflakes3; do
    out=$("$checker" "${python[@]}" 2>&1) && continue
    mapfile -t lines <<<"$out"
    report "${lines[@]}"
  done
fi

echo "lint: ${#scripts[@]} scripts, $script_findings shellcheck finding(s);" \
     "${#sources[@]} C++ files, $format_findings formatting finding(s) in $format_files file(s);" \
     "${#python[@]} Python files, $((findings - script_findings - format_findings)) pycodestyle/pyflakes finding(s)"
[ "$findings" -eq 0 ]
