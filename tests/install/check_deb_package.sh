#!/usr/bin/env bash
# Builds the Debian package with cpack and checks it: the files of the manifest under /usr and
# nothing else, the control fields, dependencies on the shared libraries the programs use (and
# not on itself), the shlibs file and ldconfig call for libTandrel, and the packaged tandrel at
# work from the unpacked tree.
# Usage: check_deb_package.sh <build dir>; the rest comes from the environment set by ctest.
set -euo pipefail
source "$(dirname "$0")/install_checks.sh"

build=${1:?usage: $0 <build dir>}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fail "cpack -G DEB failed"; }
arch=$(dpkg --print-architecture)
deb="$scratch/out/tandrel_${PROJECT_VERSION}_${arch}.deb"
[ -f "$deb" ] || fail "no $(basename "$deb"); cpack wrote: $(ls "$scratch/out")"

# Contents: every file and link of the manifest under /usr, and nothing else.
dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort >"$scratch/packaged"
sed 's|^|usr/|' "$MANIFEST" | sort >"$scratch/expected"
CompareLists "$scratch/expected" "$scratch/packaged" "package contents"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = tandrel ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$PROJECT_VERSION" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"

# Depends: one entry per package; each library the programs need is there, tandrel is not.
depends=$(field Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//' | sort -u)
needed=(libc6 libstdc++6)
[ -z "$APPSTREAM_ID" ] || needed+=(libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6)
for package in "${needed[@]}"; do
  grep -qx "$package" <<<"$depends" || fail "Depends lacks $package: $(field Depends)"
done
! grep -qi tandrel <<<"$depends" || fail "the package depends on itself: $(field Depends)"

# Programs built against libTandrel.so.1 depend on this package; ldconfig runs on install.
dpkg-deb --ctrl-tarfile "$deb" | tar -x -C "$scratch" ./shlibs ./postinst 2>/dev/null ||
  fail "the package has no shlibs or no postinst"
grep -qx "libTandrel 1 tandrel (>= $PROJECT_VERSION)" "$scratch/shlibs" ||
  fail "shlibs: $(cat "$scratch/shlibs")"
grep -q ldconfig "$scratch/postinst" || fail "postinst does not run ldconfig"

# The packaged (stripped) programs still run, finding the packaged library through RUNPATH.
dpkg-deb --extract "$deb" "$scratch/root"
lib=$(dirname "$(grep '/libTandrel.so.1.0.0$' "$scratch/expected")")
CheckLibraryLinks "$scratch/root/$lib"
CheckRunPath "$scratch/root/usr/$INSTALL_BINDIR/tandrel" "$build"
CheckTandrelRuns "$scratch/root/usr/$INSTALL_BINDIR/tandrel" "$scratch/run"

echo "deb_package: passed"
