#!/usr/bin/env bash
# The main job: builds, generates the sample sequence into samples/, then shows it morphing in
# the viewer when a display is available, or renders it headless to PNG files in out/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/setup.sh"
bin="$here/build"

"$bin/tools/agim-gen/agim-gen" --out "$here/samples"
files=("$here"/samples/*.agim)

if [ -n "${DISPLAY:-}" ] && [ -x "$bin/src/app/agim-viewer" ]; then
  exec "$bin/src/app/agim-viewer" --play "${files[@]}"
elif [ -x "$bin/tools/agim-render/agim-render" ]; then
  # One whole cycle through the sequence (17 frames a stage), turning on the turntable.
  frames=$((17 * ${#files[@]}))
  "$bin/tools/agim-render/agim-render" --out "$here/out" --size 480x360 --frames "$frames" \
    --turntable "${files[@]}" > "$here/out.log"
  echo "run: no display; rendered $frames frames of the morph to $here/out (console lines in out.log)"
else
  "$bin/tools/agim-gen/agim-gen" --summary "${files[@]}"
fi
