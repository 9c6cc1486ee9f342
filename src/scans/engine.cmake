# SPDX-License-Identifier: GPL-3.0-or-later
pkg_check_modules(ZSTD REQUIRED IMPORTED_TARGET libzstd)
target_sources(vantorel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ScanJson.h ${CMAKE_CURRENT_LIST_DIR}/ScanJson.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScanOutput.h ${CMAKE_CURRENT_LIST_DIR}/ScanOutput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScanInput.h ${CMAKE_CURRENT_LIST_DIR}/ScanInput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScanExporter.h ${CMAKE_CURRENT_LIST_DIR}/ScanExporter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SavedScanReader.h ${CMAKE_CURRENT_LIST_DIR}/SavedScanReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScanReplay.h ${CMAKE_CURRENT_LIST_DIR}/ScanReplay.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SavedScan.h
  ${CMAKE_CURRENT_LIST_DIR}/FolderTotals.h ${CMAKE_CURRENT_LIST_DIR}/FolderTotals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SnapshotStore.h ${CMAKE_CURRENT_LIST_DIR}/SnapshotStore.cpp
)
target_link_libraries(vantorel_core PRIVATE PkgConfig::ZSTD)
