# The Debian package: `cmake --build <build> --target package` writes zorbel_<version>_<arch>.deb
# with what `cmake --install` installs (the program, its desktop entry, icon and metainfo).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorbel)
set(CPACK_PACKAGE_VENDOR "Quellan")
set(CPACK_PACKAGE_CONTACT "Zorbel developers <zorbel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "marks the text caret of the application you type in")
set(CPACK_PACKAGE_DESCRIPTION
  "Zorbel sets a small click-through mark on the text caret of whatever application you\n"
  "are typing in, restyled with the active input method and Caps Lock, and shows a small\n"
  "panel with the input method, time and battery when something worth knowing happens.\n"
  "It runs on X11 desktops and reads the caret through AT-SPI.")
string(CONCAT CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links are found by dpkg-shlibdeps. What it talks to without linking:
# the accessibility bus and its registry, and the session bus they are found through.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "at-spi2-core, dbus-session-bus | default-dbus-session-bus")
# Qt's own dialogs in Chinese like the rest of the program, the SVG icon drawn in its windows,
# and a font with the program's Chinese texts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, libqt6svg6, fonts-noto-cjk")
set(CPACK_STRIP_FILES ON)
include(CPack)
