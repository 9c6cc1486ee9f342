# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: `cpack -G DEB` in a release build tree. Its dependencies come from the
# binaries (dpkg-shlibdeps), so they follow whatever libraries the build linked.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantorel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vantorel Software")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "disk-space utility: duplicates, file hogs, folder sizes")
set(CPACK_PACKAGE_DESCRIPTION
    "Vantorel '95 finds what takes up room on your disks: files whose name occurs in\n"
    "more than one place (optionally with the same size or contents), files above,\n"
    "below or between size limits, files by their access, creation or modification\n"
    "date, and folders ranked by the space they hold. It collects statistics of a\n"
    "drive, browses folders, views any file as text or hexadecimal, and deletes the\n"
    "files and folders you mark, for good or into the desktop trash, keeping running\n"
    "totals of what was removed.\n"
    "\n"
    "The package holds the desktop program vantorel and the command-line tool\n"
    "vantorel-cli, which runs the same searches for scripts.")
string(CONCAT CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

# The maker named in the About box.
set(VANTOREL_MAINTAINER "Vantorel Software <support@vantorel.example>"
    CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VANTOREL_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.vantorel.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Plugins are loaded at run time, so shlibdeps cannot see them; the desktop ones are suggested here.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, hicolor-icon-theme")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
