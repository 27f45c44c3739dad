#!/bin/sh
# Renders the desktop program's windows to PNG: render_screenshots.sh <build dir> [output folder]
set -eu
build=${1:?usage: $0 <build dir> [output folder]}
export TREVASSO_SCREENSHOTS="${2:-$build/screenshots}" QT_QPA_PLATFORM=offscreen
"$build/tests/app/trevasso_widget_tests" Screenshots
