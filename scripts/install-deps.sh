#!/usr/bin/env bash
# Installs the Debian 12 packages that building and running Zorbel need (run), or those and
# what its tests need (test).
# Does nothing (not even an apt-get update) when every package is already there,
# so the run and test commands stay fast and work offline after the first time.
set -euo pipefail

usage() { echo "usage: $0 run|test" >&2; exit 2; }
[[ $# -eq 1 ]] || usage

# What building and running the program needs, and what the headless showcase that the run
# command shows on a machine without a display needs.
RUN_PACKAGES=(
  # build
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libatspi2.0-dev libx11-dev libxi-dev libsystemd-dev
  libglib2.0-dev  # GSettings, where IBus keeps its enabled engines
  libxcb-xfixes0-dev  # who owns the compositing manager's selection, told as it changes
  # Qt's own dialogs (colours, files, message boxes) in Chinese, like the rest of the program;
  # the program's icon (SVG)
  qt6-translations-l10n libqt6svg6
  # the accessibility bus and registry, and the session bus they live on
  at-spi2-core dbus dbus-daemon dbus-bin
  # the program's texts are Chinese
  fonts-dejavu-core fonts-noto-cjk
  # the showcase: a headless X server, input driving, window read-back, a compositor for the
  # translucent indicator, and a real editor to type in
  xvfb xdotool x11-utils xcompmgr mousepad
)

# What the tests need besides.
TEST_PACKAGES=(
  libgtest-dev googletest
  libxtst-dev  # the indicator benchmark presses keys through XTest
  # keyboard layouts, monitors (xrandr)
  x11-xkb-utils x11-xserver-utils
  # a desktop notification daemon for the update-notification tests
  dunst
  # the window managers of the tests that activate, raise and move windows; fluxbox and icewm
  # raise windows above those that bypass the window manager
  openbox fluxbox icewm
  # an application without accessibility
  xterm
  # the GTK 3, GTK 4 and Qt 5 test clients
  python3-gi gir1.2-gtk-3.0 gir1.2-gtk-4.0 python3-pyqt5
  # the input-method daemons whose input sources the tests read
  ibus fcitx5 libglib2.0-bin
  # real applications of the integration tests: a GTK 4 editor, a Qt 6 writing application,
  # and editors with accessibility of their own (Scintilla, KTextEditor, LibreOffice on GTK 3)
  gnome-text-editor retext geany kwrite libreoffice-writer libreoffice-gtk3
  # a Qt 5 editor on a Scintilla port whose character boxes are all its first character's
  juffed
  # the Debian package's check: its metadata is validated
  appstream
)

case $1 in
  run) PACKAGES=("${RUN_PACKAGES[@]}") ;;
  test) PACKAGES=("${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}") ;;
  *) usage ;;
esac

declare -A installed=()
while read -r status package; do
  [[ $status == ii ]] && installed[$package]=1
done < <(dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' "${PACKAGES[@]}" 2>/dev/null || true)

missing=()
for package in "${PACKAGES[@]}"; do
  [[ -n ${installed[$package]:-} ]] || missing+=("$package")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

if ((EUID != 0)); then
  echo "install-deps: these packages are missing: ${missing[*]}" >&2
  echo "install-deps: run this script as root, or: apt-get install --no-install-recommends ${missing[*]}" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends "${missing[@]}"
