#!/usr/bin/env bash
# Builds the Debian package from a built tree (what `cmake --build BUILD --target package` does)
# and checks what a user installs: the files, the dependencies, and the desktop and AppStream
# metadata as a software centre reads them.
#   check-package.sh BUILD_DIR
set -uo pipefail
build=$(realpath "${1:?usage: check-package.sh BUILD_DIR}")
work=$(mktemp -d "${TMPDIR:-/tmp}/zorbel-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! (cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1); then
  cat "$work/cpack.log"
  echo "0 passed, 1 failed"
  exit 1
fi
deb=$(find "$work/out" -maxdepth 1 -name 'zorbel_*.deb' | head -n 1)
if [[ -z $deb ]]; then
  echo "FAIL: cpack wrote no zorbel_*.deb"; ls -l "$work/out"
  echo "0 passed, 1 failed"
  exit 1
fi
echo "package: $(basename "$deb")"

# The files: the program, its desktop entry, its icon in the hicolor theme and its metainfo;
# nothing of the tests.
mapfile -t files < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's#^\./##' | sort)
expected=(
  usr/bin/zorbel
  usr/share/applications/quellan.Zorbel.desktop
  usr/share/icons/hicolor/scalable/apps/quellan.Zorbel.svg
  usr/share/metainfo/org.quellan.Zorbel.metainfo.xml
)
for file in "${expected[@]}"; do
  printf '%s\n' "${files[@]}" | grep -qx "$file" || fail "the package lacks $file"
done
for file in "${files[@]}"; do
  printf '%s\n' "${expected[@]}" | grep -qx "$file" || fail "the package holds $file, which is not the program's"
done

dpkg-deb -x "$deb" "$work/root"
dpkg-deb -e "$deb" "$work/control"

# The dependencies: every library the program links, by its Debian package, and the
# accessibility bus, which it reaches without linking.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for needed in libqt6core6 libqt6widgets6 libqt6dbus6 libqt6network6 libatspi2.0-0 libx11-6 libxi6 \
              libsystemd0 at-spi2-core; do
  grep -Eq "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends does not name $needed"
done
readelf -d "$work/root/usr/bin/zorbel" | grep -q 'NEEDED' || fail "usr/bin/zorbel is not a linked program"
if readelf -S "$work/root/usr/bin/zorbel" | grep -q '\.debug_info'; then
  fail "usr/bin/zorbel still carries its debugging information"
fi

# The desktop entry: the program it starts is in the package, its icon is the package's.
desktop=$work/root/usr/share/applications/quellan.Zorbel.desktop
exec_line=$(sed -n 's/^Exec=//p' "$desktop" | head -n 1)
[[ -x $work/root/usr/bin/${exec_line%% *} ]] || fail "the desktop entry starts '$exec_line', which the package does not hold"
icon=$(sed -n 's/^Icon=//p' "$desktop" | head -n 1)
[[ -f $work/root/usr/share/icons/hicolor/scalable/apps/$icon.svg ]] \
  || fail "the desktop entry's icon '$icon' is not in the package's hicolor theme"
grep -q '<svg' "$work/root/usr/share/icons/hicolor/scalable/apps/quellan.Zorbel.svg" || fail "the icon is no SVG"

# The AppStream metadata validates, and names the desktop entry it describes.
metainfo=$work/root/usr/share/metainfo/org.quellan.Zorbel.metainfo.xml
if ! appstreamcli validate --no-net "$metainfo" >"$work/validate.log" 2>&1; then
  cat "$work/validate.log"
  fail "appstreamcli does not validate the metainfo"
fi
grep -q '<launchable type="desktop-id">quellan.Zorbel.desktop</launchable>' "$metainfo" \
  || fail "the metainfo does not name quellan.Zorbel.desktop as what it launches"
version=$(dpkg-deb -f "$deb" Version)
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version (the package's version)"

if ((failures)); then
  echo "0 passed, 1 failed"
  exit 1
fi
echo "1 passed, 0 failed"
