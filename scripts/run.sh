#!/usr/bin/env bash
# Builds everything under the default preset and starts the desktop program.
set -euo pipefail

cd "$(dirname "$0")/.."
source scripts/prerequisites.sh
install_prerequisites

cmake --preset default
cmake --build --preset default -j 2

readonly program=build/default/app/trevasso
if [ -x "$program" ]; then
  if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
    echo "No display: starting the desktop program on a virtual X server."
    exec xvfb-run -a "$program" "$@"
  fi
  exec "$program" "$@"
else
  echo "The desktop program is not built yet; everything else was built."
fi
