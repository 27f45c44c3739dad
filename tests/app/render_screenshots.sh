#!/bin/sh
# Renders the desktop program's windows to PNG under Xvfb, at 11 pt and at 1x and 2x:
# render_screenshots.sh <build dir> [output folder]
set -eu
build=${1:?usage: $0 <build dir> [output folder]}
out="${2:-$build/screenshots}"
for scale in 1 2; do
  suffix=""
  [ "$scale" = 1 ] || suffix="@${scale}x"
  xvfb-run -a -s "-screen 0 2560x1600x24" env QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$scale" \
    TREVASSO_SCREENSHOTS="$out" TREVASSO_SCREENSHOT_SUFFIX="$suffix" \
    "$build/tests/app/trevasso_widget_tests" Screenshots
done
