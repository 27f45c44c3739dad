# shellcheck shell=bash disable=SC2015
# Checks shared by the install test and the package test; sourced, not run.

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# CompareLists <expected> <actual> <what>: the two sorted lists are the same.
CompareLists() {
  local missing extra
  missing=$(comm -23 "$1" "$2")
  extra=$(comm -13 "$1" "$2")
  if [ -n "$missing$extra" ]; then
    [ -z "$missing" ] || printf 'missing from %s:\n%s\n' "$3" "$missing" >&2
    [ -z "$extra" ] || printf 'not expected in %s:\n%s\n' "$3" "$extra" >&2
    fail "$3 differ from the expected list"
  fi
}

# CheckLibraryLinks <lib dir>: the development link and the SONAME link point down the chain to
# the real file, whose SONAME is the name the programs ask for.
CheckLibraryLinks() {
  local lib=$1
  [ "$(readlink "$lib/libTandrel.so")" = libTandrel.so.1 ] || fail "libTandrel.so is not a link to libTandrel.so.1"
  [ "$(readlink "$lib/libTandrel.so.1")" = libTandrel.so.1.0.0 ] || fail "libTandrel.so.1 is not a link to libTandrel.so.1.0.0"
  [ -f "$lib/libTandrel.so.1.0.0" ] && [ ! -L "$lib/libTandrel.so.1.0.0" ] || fail "libTandrel.so.1.0.0 is not a file"
  readelf -d "$lib/libTandrel.so.1.0.0" | grep -q 'Library soname: \[libTandrel.so.1\]' ||
    fail "the SONAME of libTandrel.so.1.0.0 is not libTandrel.so.1"
}

# CheckRunPath <program> <build dir>: the program finds libTandrel relative to itself through
# RUNPATH (so LD_LIBRARY_PATH still wins), and nothing points back into the build tree.
CheckRunPath() {
  local dynamic
  dynamic=$(readelf -d "$1")
  # shellcheck disable=SC2016 # a literal $ORIGIN
  grep -q '(RUNPATH).*\[\$ORIGIN/\.\./lib' <<<"$dynamic" ||
    fail "$(basename "$1") has no RUNPATH \$ORIGIN/../lib...: $(grep -i path <<<"$dynamic")"
  ! grep -q '(RPATH)' <<<"$dynamic" || fail "$(basename "$1") has an RPATH besides its RUNPATH"
  ! grep -qF "$2" <<<"$dynamic" || fail "$(basename "$1") still names the build tree"
}

# CheckTandrelRuns <tandrel> <scratch dir>: the program reads real files and joins two MP3 files
# into one of twice the frames, with no library path from the environment.
CheckTandrelRuns() {
  local tandrel=$1 work=$2 mp3="$FIXTURES/lame_cbr_no_tag.mp3" wav="$FIXTURES/list_chunk.wav"
  mkdir -p "$work"
  run() { env -u LD_LIBRARY_PATH "$tandrel" "$@"; }
  run --version | grep -qF "$PROJECT_VERSION" || fail "tandrel --version does not say $PROJECT_VERSION"
  local info frames joined
  info=$(run info --json "$mp3" "$wav") || fail "tandrel info failed on $mp3 and $wav"
  grep -q '"kind": *"mp3"' <<<"$info" && grep -q '"kind": *"wave"' <<<"$info" ||
    fail "tandrel info does not tell an MP3 and a WAVE file: $info"
  frames=$(FramesOf "$(run info --json "$mp3")")
  [ "$frames" -gt 0 ] || fail "tandrel info counts no frames in $mp3"
  run join -q -o "$work/joined.mp3" "$mp3" "$mp3" >/dev/null || fail "tandrel join failed"
  joined=$(FramesOf "$(run info --json "$work/joined.mp3")")
  [ "$joined" -eq $((2 * frames)) ] || fail "joined file has $joined frames, not 2 x $frames"
}

FramesOf() {
  sed -n 's/.*"frames": *\([0-9][0-9]*\).*/\1/p' <<<"$1" | head -n 1
}

# PngSize <file>: "width height" from the PNG header, or nothing if it is not a PNG.
PngSize() {
  [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || return 0
  local bytes
  read -r -a bytes < <(od -An -tu1 -j16 -N8 "$1" | tr -s ' \n' ' ')
  echo $((bytes[0] << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3])) \
    $((bytes[4] << 24 | bytes[5] << 16 | bytes[6] << 8 | bytes[7]))
}

# CheckDesktopFiles <root>: both files pass their validators, the metainfo launches the desktop
# file, the desktop file starts an installed program, and its icon exists in the hicolor theme as
# SVG and as PNGs of exactly the size their folder names.
CheckDesktopFiles() {
  local root=$1 share="$1/$INSTALL_DATADIR" desktop metainfo exec icon png size log
  desktop="$share/applications/trevasso.desktop"
  metainfo="$share/metainfo/$APPSTREAM_ID.metainfo.xml"
  # Both validators pass some errors with status 0 ("will be fatal in the future", infos): take
  # any finding as a failure.
  log=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$log" ] ||
    fail "desktop-file-validate: $log"
  log=$(appstreamcli validate --no-net "$metainfo" 2>&1) && ! grep -q '^[EWI]:' <<<"$log" ||
    fail "appstreamcli validate: $log"
  grep -q "<launchable type=\"desktop-id\">$(basename "$desktop")</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $(basename "$desktop")"
  exec=$(sed -n 's/^Exec=//p' "$desktop")
  [ "$exec" = trevasso ] || fail "Exec=$exec: the program takes no arguments"
  [ -x "$root/$INSTALL_BINDIR/$exec" ] || fail "Exec=$exec names no installed program"
  icon=$(sed -n 's/^Icon=//p' "$desktop")
  [ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon.svg"
  local count=0
  for png in "$share"/icons/hicolor/*x*/apps/"$icon".png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    [ "$(PngSize "$png")" = "${size%x*} ${size#*x}" ] || fail "$png is not a ${size} PNG"
    count=$((count + 1))
  done
  [ "$count" -ge 8 ] || fail "only $count PNG sizes of the icon"
}

# CheckManPages <root>: each page is compressed, formats without a warning and is named after
# its program.
CheckManPages() {
  local page name warnings count=0
  for page in "$1/$INSTALL_MANDIR"/man1/*.1.gz; do
    [ -f "$page" ] || fail "no compressed man page in $1/$INSTALL_MANDIR/man1"
    name=$(basename "$page" .1.gz)
    warnings=$(gzip -dc "$page" | groff -man -ww -z 2>&1)
    [ -z "$warnings" ] || fail "$name.1: $warnings"
    gzip -dc "$page" | grep -A1 '^\.SH NAME' | tail -n 1 | grep -q "^$name " ||
      fail "$name.1 does not name its program under NAME"
    count=$((count + 1))
  done
  [ "$count" -gt 0 ] || fail "no man page installed"
}
