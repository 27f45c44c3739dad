#!/usr/bin/env bash
# Pictures of trevasso.exe under Wine for packaging/screenshots/windows-*.png: both tabs filled,
# the Add Sections dialog, the About box and a result message. Needs the Windows stage's build
# (scripts/windows-stage.sh) and ImageMagick's import and convert; draws in a Wine virtual
# desktop on a virtual X display, so the windows have their title bars.
#
#   TANDREL_WIN_BUILD   build folder (default build/win64)
set -euo pipefail

cd "$(dirname "$0")/.."
readonly build="${TANDREL_WIN_BUILD:-build/win64}"
readonly out=packaging/screenshots

if [ "${1:-}" = "--inside-display" ]; then
  wineboot --init >/dev/null 2>&1
  mkdir -p "$WINEPREFIX/drive_c/tandrel"
  cp "$build/Tandrel.ocx" "$build/trevasso_screenshot_scenes.exe" "$WINEPREFIX/drive_c/tandrel/"
  wine regsvr32 /s 'C:\tandrel\Tandrel.ocx'
  for scene in cutter joiner add about message; do
    shots="$WINEPREFIX/drive_c/Music"
    rm -rf "$shots"
    mkdir -p "$shots"
    wine explorer /desktop=shots,800x600 'C:\tandrel\trevasso_screenshot_scenes.exe' "$scene" \
      'C:\Music' >/dev/null 2>&1 &
    for _ in $(seq 100); do [ -s "$shots/frame.txt" ] && break; sleep 0.2; done
    sleep 3  # the modal windows and the last paint
    read -r left top width height <"$shots/frame.txt"
    name="$scene"
    [ "$scene" = add ] && name=add_sections
    import -window root -crop "${width}x${height}+${left}+${top}" +repage "$out/windows-$name.png"
    echo "$out/windows-$name.png"
    wineserver -k >/dev/null 2>&1 || true
    wait || true
  done
  exit
fi

prefix="$(mktemp -d "${TMPDIR:-/tmp}/tandrel-shots.XXXXXX")"
trap 'WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true; rm -rf "$prefix"' EXIT
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=C.UTF-8
unset LC_ALL LANGUAGE DISPLAY
xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --inside-display
