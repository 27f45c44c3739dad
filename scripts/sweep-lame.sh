#!/usr/bin/env bash
# Runs the seeded sweep over lame's output of random sounds: COUNT files (default 200) of SEED,
# each cut by time and by size and joined back, every output read by libmpg123. Builds the driver
# first. Further options go to the driver (--first I, --min-seconds S, --max-seconds S,
# --failures DIR, --verbose); `scripts/sweep-lame.sh SEED 1 --first I` repeats file I alone.
# Failing files are kept under /tmp/lame-sweep-failures/ unless --failures says otherwise.
set -euo pipefail

if [ $# -lt 1 ] || ! [[ "$1" =~ ^[0-9]+$ ]]; then
  echo "usage: $0 SEED [COUNT] [driver options]" >&2
  exit 64
fi
seed="$1"
count="${2:-200}"
shift
if [ $# -gt 0 ]; then shift; fi

cd "$(dirname "$0")/.."
source scripts/prerequisites.sh
install_prerequisites

cmake --preset default >/dev/null
cmake --build --preset default -j 2 --target lame_sweep
exec build/default/tests/sweep/lame_sweep "$seed" "$count" "$@"
