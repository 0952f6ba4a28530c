#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Safe to run again; asks no questions.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
  firebird3.0-server firebird3.0-utils firebird-dev libfbclient2
  pxlib-dev zlib1g-dev
  xvfb xauth
  # The register library through Wine: the cross compiler of the bridge and
  # of the Windows build of the substitute library, and Wine with its 32-bit
  # half (needs the i386 architecture, added below).
  g++-mingw-w64-i686-posix wine wine32:i386
  # The fuzz targets and the clang sanitizer build.
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

# The server package would ask for a SYSDBA password and try to start a
# service; answer in advance. Tests run a private server of their own.
echo "firebird3.0-server shared/firebird/enabled boolean false" | $SUDO debconf-set-selections
echo "firebird3.0-server shared/firebird/sysdba_password/new_password password masterkey" | $SUDO debconf-set-selections

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
