# SPDX-License-Identifier: GPL-3.0-or-later
# Installation checks. The fast ones (label "packaging") run with every test run; "package" builds a
# release tree of its own and the Debian package from it, and runs by `ctest --preset package`.
set(VANTOREL_PACKAGING_CHECKS ${CMAKE_CURRENT_LIST_DIR}/packaging_checks.sh)
foreach(check desktop_entry metainfo man_pages icons completion install)
  add_test(NAME packaging.${check}
           COMMAND bash ${VANTOREL_PACKAGING_CHECKS} ${check} ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
  set_tests_properties(packaging.${check} PROPERTIES LABELS packaging TIMEOUT 120)
endforeach()
add_test(NAME packaging.deb
         COMMAND bash ${VANTOREL_PACKAGING_CHECKS} deb ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
set_tests_properties(packaging.deb PROPERTIES LABELS package TIMEOUT 2400 RUN_SERIAL ON)
