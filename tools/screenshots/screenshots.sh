#!/usr/bin/env bash
# Screenshots of the desktop application under a virtual X server with openbox:
#   tools/screenshots/screenshots.sh BUILD_DIR OUT_DIR [INITIAL.cod DEFORMED.cod]
#   tools/screenshots/screenshots.sh BUILD_DIR OUT_DIR --sequence PICTURE_FOLDER [RESULTS_FOLDER]
set -euo pipefail
build=$(realpath "${1:-build}")
out=$(realpath -m "${2:-screens}")
shift 2 || true
args=()
if [ "${1:-}" = "--sequence" ]; then
  args=(--sequence "$(realpath "$2")")
  if [ -n "${3:-}" ]; then args+=("$(realpath -m "$3")"); fi
elif [ -n "${1:-}" ]; then
  args=("$(realpath "$1")" "$(realpath "$2")")
fi
cmake --build "$build" --target latticor_screenshots -j2
# shellcheck disable=SC2016
xvfb-run -a -s "-screen 0 1600x1000x24" bash -c \
  'openbox >/dev/null 2>&1 & sleep 1; "$0" "$@"' \
  "$build/tools/screenshots/latticor_screenshots" "$out" "${args[@]}"
