#!/usr/bin/env bash
# Screenshots of the desktop application under a virtual X server with openbox:
#   tools/screenshots/screenshots.sh BUILD_DIR OUT_DIR [INITIAL.cod DEFORMED.cod]
set -euo pipefail
build=$(realpath "${1:-build}")
out=$(realpath -m "${2:-screens}")
cmake --build "$build" --target latticor_screenshots -j2
xvfb-run -a -s "-screen 0 1600x1000x24" bash -c \
  "openbox >/dev/null 2>&1 & sleep 1; '$build/tools/screenshots/latticor_screenshots' '$out' ${3:+'$(realpath "$3")' '$(realpath "$4")'}"
