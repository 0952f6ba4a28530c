#!/usr/bin/env bash
# The Debian package as a shop's machine gets it: unpacked into a scratch
# root, it holds a complete program directory, declares the libraries the
# program needs, and its program starts there. On the CI machine (CI=true,
# root, no rubso installed) it is also installed with dpkg, which refuses a
# package whose dependencies are not met, started and removed again.
#
#   package_test.sh PACKAGE_DIR VERSION
set -euo pipefail

dir=${1:?package directory}
version=${2:?expected version}
fail() { echo "FAIL: $*" >&2; exit 1; }

shopt -s nullglob
debs=("$dir"/rubso_"$version"_*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one rubso_${version}_*.deb in $dir, found ${#debs[@]}"
deb=${debs[0]}

root=$(mktemp -d /tmp/rubso-package.XXXXXX)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

program_dir=$root/usr/lib/rubso
for file in rubso libWinIP.so kasa-sim rubso-repair-table koment.txt help/index.html \
            rubso-installed.txt ../../bin/rubso ../../share/applications/rubso.desktop \
            ../../share/icons/hicolor/scalable/apps/rubso.svg; do
  [ -f "$program_dir/$file" ] || fail "the package lacks $file"
done
[ ! -e "$program_dir/rubso-demo-data" ] || fail "the demo tool is packaged"
readelf -d "$program_dir/rubso" | grep -q 'RUNPATH.*\[\$ORIGIN\]' || fail "no \$ORIGIN run path"

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6core6 libqt6gui6 libqt6widgets6 qt6-translations-l10n libfbclient2 pxlib1; do
  grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done

# Every library resolves and the version is printed; nothing is written.
printed=$(HOME="$root/home" QT_QPA_PLATFORM=offscreen "$root/usr/bin/rubso" --version)
[ "$printed" = "rubso $version" ] || fail "--version printed '$printed'"
[ ! -e "$root/home" ] || fail "--version wrote into the home directory"

if [ "${CI:-}" = true ] && [ "$(id -u)" -eq 0 ] && ! dpkg-query -W rubso >/dev/null 2>&1; then
  trap 'dpkg --purge rubso >/dev/null 2>&1 || true; rm -rf "$root"' EXIT
  dpkg -i "$deb" >/dev/null || fail "dpkg -i refused the package"
  printed=$(QT_QPA_PLATFORM=offscreen rubso --version)
  [ "$printed" = "rubso $version" ] || fail "installed rubso --version printed '$printed'"
  dpkg --purge rubso >/dev/null
  [ ! -e /usr/lib/rubso ] || fail "/usr/lib/rubso left after the removal"
fi
echo "package $(basename "$deb") checked"
