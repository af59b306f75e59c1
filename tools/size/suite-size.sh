#!/usr/bin/env bash
# Lines of the tracked text files under src/ and tests/, per folder, and the ratio tests / src
# (binary pictures are left out). The wave's bound is tests <= 0.55 x src.
#   tools/size/suite-size.sh [REV]   (default: the work tree)
set -euo pipefail
cd "$(dirname "$0")/../.."
rev=${1:-}
files() {
  if [ -n "$rev" ]; then git ls-tree -r --name-only "$rev" -- "$1"; else git ls-files -- "$1"; fi
}
lines() {
  if [ -n "$rev" ]; then git show "$rev:$1" | wc -l; else wc -l < "$1"; fi
}
declare -A total
for top in src tests python; do
  declare -A per=()
  while IFS= read -r f; do
    case "$f" in *.png|*.bmp|*.jpg|*.jpeg|*.tif|*.tiff|*.ico|*.pgm|*.ppm|*.raw) continue ;; esac
    n=$(lines "$f")
    folder=$(echo "$f" | cut -d/ -f1-2)
    per[$folder]=$(( ${per[$folder]:-0} + n ))
    total[$top]=$(( ${total[$top]:-0} + n ))
  done < <(files "$top")
  for k in "${!per[@]}"; do printf '%-28s %7d\n' "$k" "${per[$k]}"; done | sort
  unset per
done
printf '%-28s %7d\n' "src (all)" "${total[src]:-0}" "tests (all)" "${total[tests]:-0}" "python (all)" "${total[python]:-0}"
awk -v s="${total[src]:-0}" -v t="${total[tests]:-0}" 'BEGIN { printf "tests / src                  %7.3f\n", t / s }'
