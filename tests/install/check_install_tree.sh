#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks the result: exactly the files of the
# manifest, the library's links and SONAME, run paths that stay inside the installed tree, a C
# program built against the installed header and pkg-config file, the installed tandrel at work
# on real files, the installed C example built with pkg-config and with find_package and the
# Python example run against the installed library, the desktop entry, the metainfo, the icons,
# the man pages, and where the installed desktop program finds its help and its web page.
# Usage: check_install_tree.sh <build dir>; the rest comes from the environment set by ctest.
set -euo pipefail
source "$(dirname "$0")/install_checks.sh"

build=${1:?usage: $0 <build dir>}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

DESTDIR="$scratch/dest" cmake --install "$build" >"$scratch/install.log" 2>&1 ||
  { cat "$scratch/install.log"; fail "cmake --install failed"; }
root="$scratch/dest$INSTALL_PREFIX"

# Every file and link under DESTDIR, none outside the prefix, none missing, none extra.
(cd "$scratch/dest" && find . -type f -o -type l) | sed 's|^\./||' | sort >"$scratch/installed"
awk '{print $2}' "$MANIFEST" | sed "s|^|${INSTALL_PREFIX#/}/|" | sort >"$scratch/expected"
CompareLists "$scratch/expected" "$scratch/installed" "installed files"

bin="$root/$INSTALL_BINDIR"
lib="$root/$INSTALL_LIBDIR"
CheckLibraryLinks "$lib"
for program in "$bin/tandrel" ${APPSTREAM_ID:+"$bin/trevasso"}; do
  CheckRunPath "$program" "$build"
done

# The library the installed programs load is the installed one, not the build tree's.
resolved=$(env -u LD_LIBRARY_PATH ldd "$bin/tandrel" | awk '$1 == "libTandrel.so.1" {print $3}')
[ "$(readlink -f "$resolved")" = "$(readlink -f "$lib/libTandrel.so.1.0.0")" ] ||
  fail "installed tandrel loads libTandrel from '$resolved'"

# The installed C example builds against the installed header with pkg-config and with
# find_package(Tandrel), and with the Python example cuts and joins a real file.
examples="$root/$INSTALL_DATADIR/doc/libtandrel-dev/examples"
pc() { PKG_CONFIG_PATH="$lib/pkgconfig" PKG_CONFIG_LIBDIR=/nonexistent pkg-config "$@" tandrel; }
flags=$(pc --cflags --libs)
[ "$(pc --variable=cxx_standard)" = 20 ] || fail "tandrel.pc states no C++ standard"
# shellcheck disable=SC2086 # the flags are words
"${CC:-cc}" -std=c89 -pedantic-errors -Wall -Werror ${CONSUMER_FLAGS:-} \
  -o "$scratch/example_pc" "$examples/cut_and_join.c" $flags "-Wl,-rpath,$lib" ||
  fail "the C example does not build with: $flags"
mkdir -p "$scratch/consumer"
cat >"$scratch/consumer/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.25)
project(consumer C CXX)
find_package(Tandrel 1.0 REQUIRED)
add_executable(example_cmake "$examples/cut_and_join.c")
target_link_libraries(example_cmake PRIVATE Tandrel::Tandrel)
add_executable(example_cxx main.cpp)
target_link_libraries(example_cxx PRIVATE Tandrel::Tandrel)
EOF
cat >"$scratch/consumer/main.cpp" <<'EOF'
#include <tandrel/tandrel_ctrl.h>
int main() {
  tandrel::CTandrelCtrl control;
  return control.GetFileSize("/nonexistent") == 0 ? 0 : 1;
}
EOF
"${CMAKE_COMMAND:-cmake}" -S "$scratch/consumer" -B "$scratch/consumer/build" \
  -DCMAKE_PREFIX_PATH="$root" -DCMAKE_BUILD_RPATH="$lib" \
  -DCMAKE_C_FLAGS="${CONSUMER_FLAGS:-}" -DCMAKE_CXX_FLAGS="${CONSUMER_FLAGS:-}" \
  >"$scratch/consumer.log" 2>&1 &&
  "${CMAKE_COMMAND:-cmake}" --build "$scratch/consumer/build" >>"$scratch/consumer.log" 2>&1 ||
  { cat "$scratch/consumer.log"; fail "no program builds with find_package(Tandrel)"; }
"$scratch/consumer/build/example_cxx" || fail "the C++ consumer of Tandrel::Tandrel failed"

mp3="$FIXTURES/lame_vbr_xing.mp3"
source_frames=$(FramesOf "$(env -u LD_LIBRARY_PATH "$bin/tandrel" info --json "$mp3")")
RunExample() {
  local name=$1 out="$scratch/out-$1"
  shift
  mkdir -p "$out"
  "$@" "$mp3" "$out" >"$out.log" 2>&1 || { cat "$out.log"; fail "the $name example failed"; }
  grep -qx "libTandrel $PROJECT_VERSION" "$out.log" || fail "the $name example names no version"
  grep -qx "cut: 100 %" "$out.log" && grep -qx "join: 100 %" "$out.log" &&
    grep -qx "Joinned successfully" "$out.log" ||
    fail "the $name example did not cut and join: $(cat "$out.log")"
  local joined
  joined=$(FramesOf "$(env -u LD_LIBRARY_PATH "$bin/tandrel" info --json "$out/joined.mp3")")
  [ "$joined" -eq "$source_frames" ] ||
    fail "the $name example joined $joined frames of $source_frames"
}
RunExample pkg-config "$scratch/example_pc"
RunExample find_package "$scratch/consumer/build/example_cmake"
# (An instrumented library cannot be loaded into an interpreter that is not; the control's
# ctypes test covers that build.)
[ -n "${CONSUMER_FLAGS:-}" ] ||
  RunExample python env LD_LIBRARY_PATH="$lib" "${PYTHON:-python3}" "$examples/cut_and_join.py"

CheckTandrelRuns "$bin/tandrel" "$scratch/run"
CheckManPages "$root"

if [ -z "$APPSTREAM_ID" ]; then
  echo "install_tree: passed (no desktop program in this build)"
  exit 0
fi

CheckDesktopFiles "$root"

# Installed, the program opens the help from its data folder: run the resolution from bin.
cp "$HELP_PATHS" "$bin/"
mapfile -t opened < <("$bin/$(basename "$HELP_PATHS")")
help_folder=$(readlink -f "$root/$INSTALL_DATADIR/trevasso")
if grep -q '/trevasso\.chm$' "$MANIFEST"; then
  expected_chm="$help_folder/trevasso.chm"
else
  expected_chm="$(readlink -f "$bin")/trevasso.chm"
fi
[ "${opened[0]}" = "$expected_chm" ] || fail "help file resolved to '${opened[0]}'"
[ "${opened[1]}" = "$help_folder/help/index.html" ] || fail "HTML help resolved to '${opened[1]}'"
# The metainfo's homepage is the page the program's Help menu and About box open.
grep -qF "<url type=\"homepage\">${opened[2]}</url>" "$root/$INSTALL_DATADIR/metainfo/$APPSTREAM_ID.metainfo.xml" ||
  fail "the metainfo's homepage is not ${opened[2]}"

echo "install_tree: passed"
