#!/usr/bin/env bash
# The Windows stage: cross-builds the control module Tandrel.ocx, its test client, the desktop
# program trevasso.exe with its window checks, and its installer trevasso-setup.exe for x64
# Windows with mingw-w64, then, in a fresh temporary Wine prefix under one virtual X display,
# registers the module with regsvr32, runs the client and the program's window checks against it,
# unregisters it, checks that everything is gone, and registers it again to check that the
# entries come back the same; then, in a second fresh prefix, installs trevasso-setup.exe
# silently, starts the installed program, and uninstalls it again without a trace.
# Installs through apt whatever of its tools is missing. Prints "N passed, N failed" last and
# exits non-zero on any failure.
#
#   TANDREL_WIN_BUILD   build folder (default build/win64)
#   TANDREL_WIN_I686=0  skip the 32-bit module (built by default into build/win32, never run: 32-bit
#                       Windows programs cannot run on these machines' 64-bit-only Wine)
set -euo pipefail

cd "$(dirname "$0")/.."
readonly root="$PWD"
readonly build="${TANDREL_WIN_BUILD:-build/win64}"
readonly jobs=2

# --- Inside the virtual display: everything that needs Wine ---------------------------------------

passed=0
failed=0

note() { printf '== %s\n' "$*"; }

# A step that passes or fails as a whole.
step() {
  local name="$1"
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAIL %s (exit %s)\n' "$name" "$?"
  fi
}

# Runs a checking program and adds its counts; a run that ends without its count line fails once.
counted() {
  local program="$1" log
  shift
  log="$(mktemp)"
  set +e
  timeout 600 wine "$program" "$@" 2>&1 | tr -d '\r' | tee "$log"
  set -e
  local line
  line="$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -n 1 || true)"
  rm -f "$log"
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    printf 'FAIL %s (%s) stopped before its count\n' "$program" "${1:-}"
    return
  fi
  passed=$((passed + $(echo "$line" | cut -d' ' -f1)))
  failed=$((failed + $(echo "$line" | cut -d' ' -f3)))
}

client() {
  counted 'C:\tandrel\tandrel_windows_client.exe' "$@"
}

inside_display() {
  local ocx='C:\tandrel\Tandrel.ocx' snapshot='C:\tandrel\first-registration.txt'
  local start=$SECONDS
  note "wine: new prefix"
  wineboot --init >/dev/null 2>&1
  note "wine: prefix ready in $((SECONDS - start)) s"
  mkdir -p "$WINEPREFIX/drive_c/tandrel"
  cp "$build/Tandrel.ocx" "$build/tandrel_windows_client.exe" "$build/trevasso.exe" \
    "$build/trevasso_window_checks.exe" "$WINEPREFIX/drive_c/tandrel/"
  local fixtures
  fixtures="$(winepath -w "$root/tests/fixtures/real" 2>/dev/null)"

  note "desktop logic tests"
  cp "$build/trevasso_logic_tests.exe" "$WINEPREFIX/drive_c/tandrel/"
  step "desktop logic tests" wine 'C:\tandrel\trevasso_logic_tests.exe' --gtest_brief=1

  note "regsvr32 /s"
  step "regsvr32 /s" wine regsvr32 /s "$ocx"
  client registered "$ocx" "$fixtures" "$snapshot"
  note "trevasso.exe: the window checks over the registered control"
  counted 'C:\tandrel\trevasso_window_checks.exe'

  note "regsvr32 /u /s"
  step "regsvr32 /u /s" wine regsvr32 /u /s "$ocx"
  client unregistered "$ocx"

  note "registered again"
  step "regsvr32 /s again" wine regsvr32 /s "$ocx"
  step "regsvr32 /s a third time" wine regsvr32 /s "$ocx"
  client same-registration "$snapshot"
  step "regsvr32 /u /s again" wine regsvr32 /u /s "$ocx"
  client unregistered "$ocx"

  if [ "${TANDREL_WIN_I686:-1}" = 1 ]; then
    note "the 32-bit module's file (it cannot be loaded here)"
    mkdir -p "$WINEPREFIX/drive_c/tandrel/x86"
    cp build/win32/Tandrel.ocx "$WINEPREFIX/drive_c/tandrel/x86/"
    client x86-module 'C:\tandrel\x86\Tandrel.ocx'
  fi

  wineserver -w
  installer_checks
  note "wine steps took $((SECONDS - start)) s"
  echo "$passed $failed" >"$TANDREL_STAGE_COUNTS"
}

# Whether a registry key exists (wine reg query answers 0 when it does).
has_key() {
  wine reg query "$1" >/dev/null 2>&1
}

lacks_key() {
  ! has_key "$1"
}

# The keys and files the installer leaves, and that its uninstaller must take away again.
readonly clsid='HKCR\CLSID\{375B44EE-F3C9-4A5B-9A06-530B9CC16461}'
readonly uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelluvex'
registry_gone() {
  lacks_key "$clsid" && lacks_key 'HKCR\TypeLib\{F206DFE2-1F3D-432A-90B4-443BB1A24D29}' &&
    lacks_key 'HKCR\TANDREL.TandrelCtrl.1' && lacks_key "$uninstall_key"
}

registered_from_installed() {
  wine reg query "$clsid\\InprocServer32" /ve 2>/dev/null | tr -d '\r' |
    grep -qF 'C:\Program Files\Pelluvex\Tandrel.ocx'
}

installed_files() {
  local folder="$1"
  [ -f "$folder/trevasso.exe" ] && [ -f "$folder/Tandrel.ocx" ] && [ -f "$folder/uninstall.exe" ] &&
    { [ -f "$folder/trevasso.chm" ] || [ -f "$folder/help/index.html" ]; }
}

# trevasso-setup.exe in a fresh prefix of its own: a silent install, the control registered from
# the installed folder, the installed program started and closed, a silent uninstall that leaves
# no file and no key.
installer_checks() {
  local first="$WINEPREFIX"
  export WINEPREFIX="$first-install"
  note "installer: new prefix"
  wineboot --init >/dev/null 2>&1
  mkdir -p "$WINEPREFIX/drive_c/tandrel"
  cp "$build/trevasso-setup.exe" "$build/trevasso_window_checks.exe" "$WINEPREFIX/drive_c/tandrel/"
  local folder="$WINEPREFIX/drive_c/Program Files/Pelluvex"
  local menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Pelluvex"
  local program='C:\Program Files\Pelluvex\trevasso.exe'

  note "trevasso-setup.exe /S"
  step "trevasso-setup.exe /S" wine 'C:\tandrel\trevasso-setup.exe' /S
  step "the installed files" installed_files "$folder"
  step "the Start menu entry" test -f "$menu/Pelluvex.lnk"
  step "the control's class is registered" has_key "$clsid"
  step "the control is registered from the installed folder" registered_from_installed
  step "the uninstall key" has_key "$uninstall_key"

  note "the installed trevasso.exe starts and closes"
  timeout 120 wine "$program" >/dev/null 2>&1 &
  counted 'C:\tandrel\trevasso_window_checks.exe' --started "$program"
  wait

  note "uninstall.exe /S"
  step "uninstall.exe /S" wine 'C:\Program Files\Pelluvex\uninstall.exe' /S
  # The uninstaller runs on from a copy of itself; wait for it to finish.
  wineserver -w
  step "no installed file is left" test ! -e "$folder"
  step "no Start menu entry is left" test ! -e "$menu"
  step "no registry key is left" registry_gone
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  export WINEPREFIX="$first"
}

if [ "${1:-}" = "--inside-display" ]; then
  inside_display
  exit
fi

# --- Tools ----------------------------------------------------------------------------------------

install_missing() {
  local wanted=(cmake ninja-build g++ g++-mingw-w64-x86-64 googletest wine wine64 wine64-tools xvfb
    xauth nsis)
  if [ "${TANDREL_WIN_I686:-1}" = 1 ]; then
    wanted+=(g++-mingw-w64-i686)
  fi
  local missing=() package
  for package in "${wanted[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
  done
  [ "${#missing[@]}" -eq 0 ] && return
  note "installing ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}

build_for() {
  local toolchain="$1" folder="$2" tests="$3"
  # A build folder configured from another top (control/windows alone, as it once was) starts
  # afresh.
  if [ -f "$folder/CMakeCache.txt" ] &&
    ! grep -qx "CMAKE_HOME_DIRECTORY:INTERNAL=$root/app/win32" "$folder/CMakeCache.txt"; then
    rm -rf "$folder/CMakeCache.txt" "$folder/CMakeFiles"
  fi
  cmake -S app/win32 -B "$folder" -G Ninja --toolchain "$root/cmake/$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DTANDREL_BUILD_TESTS="$tests" >/dev/null
  cmake --build "$folder" -j "$jobs"
}

# The desktop programs' window-free logic and its GoogleTest tables, built from the GoogleTest
# sources with the POSIX-thread compiler: GoogleTest needs std::mutex, which the win32-thread
# compiler of the control module does not have.
build_logic_tests() {
  local gtest=/usr/src/googletest/googletest
  x86_64-w64-mingw32-g++-posix -std=c++20 -O1 -Wall -Wextra -Werror -static \
    -I"$gtest/include" -I"$gtest" -Iapp "$gtest/src/gtest-all.cc" "$gtest/src/gtest_main.cc" \
    app/logic/*.cpp tests/app/logic_test.cpp -o "$1/trevasso_logic_tests.exe"
}

started=$SECONDS
install_missing
note "tools ready after $((SECONDS - started)) s"
note "cross-build x64 in $build"
build_for mingw-w64-x86_64.cmake "$build" ON
if [ "${TANDREL_WIN_I686:-1}" = 1 ]; then
  note "cross-build x86 in build/win32 (built only)"
  build_for mingw-w64-i686.cmake build/win32 OFF
fi
note "desktop logic tests for x64 in $build"
build_logic_tests "$build"
note "builds done after $((SECONDS - started)) s"

prefix="$(mktemp -d "${TMPDIR:-/tmp}/tandrel-wine.XXXXXX")"
counts="$(mktemp)"
cleanup() {
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX="$prefix-install" wineserver -k >/dev/null 2>&1 || true
  rm -rf "$prefix" "$prefix-install" "$counts"
}
trap cleanup EXIT

export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A UTF-8 locale every system has: Wine names files in it, and its ANSI code page is then 1252.
export LANG=C.UTF-8 TANDREL_STAGE_COUNTS="$counts"
unset LC_ALL LANGUAGE DISPLAY
xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --inside-display || true
note "Windows stage took $((SECONDS - started)) s"
read -r passed failed <"$counts" || { passed=0; failed=1; }
printf '%d passed, %d failed\n' "$passed" "$failed"
[ "$failed" -eq 0 ]
