#!/bin/sh
# Renders the desktop program's windows to PNG under the offscreen platform.
# Usage: tests/app/render_screenshots.sh <build dir> [output folder]
set -eu
build=${1:?usage: $0 <build dir> [output folder]}
out=${2:-$build/screenshots}
QT_QPA_PLATFORM=offscreen "$build/tests/app/trevasso_screenshots" "$out"
