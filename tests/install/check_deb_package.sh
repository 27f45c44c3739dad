#!/usr/bin/env bash
# Builds the Debian packages with cpack and checks them: each holds exactly its part of the
# manifest under /usr, its control fields and dependencies (the command-line package and the
# library need no Qt; nothing depends on itself), the library's shlibs file and ldconfig
# trigger, the packaged tandrel at work from the unpacked library and program packages alone,
# and, where lintian is installed, no lintian error or warning but the two known ones.
# Usage: check_deb_package.sh <build dir>; the rest comes from the environment set by ctest.
set -euo pipefail
source "$(dirname "$0")/install_checks.sh"

build=${1:?usage: $0 <build dir>}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fail "cpack -G DEB failed"; }
arch=$(dpkg --print-architecture)

declare -A package_of
debs=()
while read -r component package; do
  package_of[$component]=$package
  deb="$scratch/out/${package}_${PROJECT_VERSION}_${arch}.deb"
  [ -f "$deb" ] || fail "no $(basename "$deb"); cpack wrote: $(ls "$scratch/out")"
  debs+=("$deb")

  # Contents: the package's files and links of the manifest under /usr, and nothing else.
  dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort \
    >"$scratch/$package.packaged"
  awk -v c="$component" '$1 == c {print "usr/" $2}' "$MANIFEST" | sort >"$scratch/$package.expected"
  CompareLists "$scratch/$package.expected" "$scratch/$package.packaged" "$package contents"

  field() { dpkg-deb --field "$deb" "$1"; }
  [ "$(field Package)" = "$package" ] || fail "Package: $(field Package)"
  [ "$(field Version)" = "$PROJECT_VERSION" ] || fail "$package Version: $(field Version)"
  [ "$(field Architecture)" = "$arch" ] || fail "$package Architecture: $(field Architecture)"
  [ -n "$(field Maintainer)" ] || fail "$package has no Maintainer"

  depends=$(field Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//' | sort -u)
  ! grep -qx "$package" <<<"$depends" || fail "$package depends on itself"
  case $component in
    lib) needed=(libc6 libstdc++6) ;;
    dev) needed=(libtandrel1) ;;
    cli) needed=(libtandrel1 libc6 libstdc++6 libtag1v5 libcue2) ;;
    app) needed=(libtandrel1 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6) ;;
  esac
  for dependency in "${needed[@]}"; do
    grep -qx "$dependency" <<<"$depends" || fail "$package Depends lacks $dependency: $(field Depends)"
  done
  if [ "$component" = lib ] || [ "$component" = cli ]; then
    ! grep -qi qt <<<"$depends" || fail "$package depends on Qt: $(field Depends)"
  fi
  if [ "$component" != lib ]; then
    grep -qF "libtandrel1 (= $PROJECT_VERSION)" <<<"$(field Depends)" ||
      fail "$package does not depend on this very libtandrel1: $(field Depends)"
  fi
done <"$PACKAGES"

# Programs built against libTandrel.so.1 depend on libtandrel1; the ldconfig trigger runs.
lib_deb="$scratch/out/libtandrel1_${PROJECT_VERSION}_${arch}.deb"
mkdir -p "$scratch/control"
dpkg-deb --ctrl-tarfile "$lib_deb" | tar -x -C "$scratch/control" ./shlibs ./triggers 2>/dev/null ||
  fail "libtandrel1 has no shlibs or no triggers"
grep -qx "libTandrel 1 libtandrel1 (>= $PROJECT_VERSION)" "$scratch/control/shlibs" ||
  fail "shlibs: $(cat "$scratch/control/shlibs")"
grep -qx "activate-noawait ldconfig" "$scratch/control/triggers" ||
  fail "triggers: $(cat "$scratch/control/triggers")"

# The library and command-line packages alone: the packaged (stripped) tandrel still runs,
# finding the packaged library through RUNPATH.
for component in lib cli; do
  dpkg-deb --extract "$scratch/out/${package_of[$component]}_${PROJECT_VERSION}_${arch}.deb" \
    "$scratch/root"
done
lib=$(awk '$1 == "lib" && /libTandrel.so.1.0.0$/ {print $2}' "$MANIFEST")
ln -s libTandrel.so.1 "$scratch/root/usr/$(dirname "$lib")/libTandrel.so"  # from the dev package
CheckLibraryLinks "$scratch/root/usr/$(dirname "$lib")"
CheckRunPath "$scratch/root/usr/$INSTALL_BINDIR/tandrel" "$build"
CheckTandrelRuns "$scratch/root/usr/$INSTALL_BINDIR/tandrel" "$scratch/run"

# lintian: nothing but the two empty maintainer scripts of the library package, which keep the
# package generator from calling ldconfig itself (the trigger does it).
if command -v lintian >/dev/null; then
  lintian --tag-display-limit 0 "${debs[@]}" 2>/dev/null | grep -E '^[EW]:' |
    grep -vE '^W: libtandrel1: maintainer-script-empty \[(postinst|postrm)\]$' >"$scratch/lintian" || true
  [ ! -s "$scratch/lintian" ] || { cat "$scratch/lintian"; fail "lintian reports the above"; }
else
  echo "deb_package: lintian is not installed; its check is skipped"
fi

echo "deb_package: passed (${#debs[@]} packages)"
