# SPDX-License-Identifier: GPL-3.0-or-later
# The version (set once, by project()) and the install folders that the programs need to know.
include(GNUInstallDirs)
set(VANTOREL_DATA_SUBDIR ${CMAKE_INSTALL_DATADIR}/vantorel)
set(VANTOREL_FULL_DATA_DIR ${CMAKE_INSTALL_FULL_DATADIR}/vantorel)
file(RELATIVE_PATH VANTOREL_DATA_DIR_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${VANTOREL_FULL_DATA_DIR})
configure_file(${CMAKE_CURRENT_LIST_DIR}/BuildConfig.h.in ${CMAKE_BINARY_DIR}/generated/BuildConfig.h @ONLY)
