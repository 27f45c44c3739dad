# Sourced by test.sh and run.sh: the Debian 12 packages the build, the tests and the desktop
# program need, installed through apt when any of them is missing.

TANDREL_PACKAGES=(
  build-essential g++ clang libclang-rt-14-dev cmake ninja-build pkg-config # compilers, build
  libgtest-dev libgmock-dev libbenchmark-dev                                # tests, benchmarks
  lame sox libmpg123-dev python3                                            # test helpers
  qt6-base-dev qt6-svg-dev libcli11-dev                                     # desktop program, CLI
  libtag1-dev libcue-dev nlohmann-json3-dev                                 # CLI: tags, CUE sheets, JSON
  qt6-qpa-plugins fonts-dejavu-core                                         # its windows on X11
  fp-utils-3.2.2                                                            # chmcmd: the help file
  xvfb xauth                                                                # windows without a display
  desktop-file-utils appstream dpkg-dev groff-base librsvg2-bin lintian     # install and package checks
)

install_prerequisites() {
  local missing=() package
  for package in "${TANDREL_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  if [ "${#missing[@]}" -eq 0 ]; then
    return 0
  fi
  echo "Installing: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y --no-install-recommends "${missing[@]}"
}
