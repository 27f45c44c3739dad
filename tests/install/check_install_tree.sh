#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks the result: exactly the files of the
# manifest, the library's links and SONAME, run paths that stay inside the installed tree, a C
# program built against the installed header and pkg-config file, the installed tandrel at work
# on real files, the desktop entry, the metainfo, the icons, the man pages, and where the
# installed desktop program finds its help and its web page.
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
sed "s|^|${INSTALL_PREFIX#/}/|" "$MANIFEST" | sort >"$scratch/expected"
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

# A consumer of the installed header and pkg-config file builds and links against the library.
cat >"$scratch/consumer.c" <<'EOF'
#include <stdio.h>
#include <tandrel/tandrel.h>
int main(int argc, char** argv) {
  TandrelObject* object = Tandrel_Create();
  int32_t size = Tandrel_GetFileSize(object, argv[1]);
  Tandrel_Release(object);
  printf("%ld\n", (long)size);
  return argc == 2 ? 0 : 1;
}
EOF
flags=$(PKG_CONFIG_PATH="$lib/pkgconfig" PKG_CONFIG_LIBDIR=/nonexistent \
  pkg-config --cflags --libs tandrel)
# shellcheck disable=SC2086 # the flags are words
"${CC:-cc}" ${CONSUMER_FLAGS:-} -o "$scratch/consumer" "$scratch/consumer.c" $flags "-Wl,-rpath,$lib" ||
  fail "no C program builds with: $flags"
mp3="$FIXTURES/lame_cbr_info_tag.mp3"
[ "$("$scratch/consumer" "$mp3")" = "$(stat -c %s "$mp3")" ] ||
  fail "the consumer of the installed library gives the wrong size for $mp3"

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
