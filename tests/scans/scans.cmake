# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_scans
  ${CMAKE_CURRENT_LIST_DIR}/SavedScanTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScanReplayTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FolderTotalsRefreshTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ExportedTree.h
)
vantorel_add_test(test_scans_cli
  ${CMAKE_CURRENT_LIST_DIR}/ScanCommandTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ExclusionCommandTest.cpp
)
add_dependencies(test_scans_cli vantorel-cli)
target_compile_definitions(test_scans_cli PRIVATE VANTOREL_CLI_PATH="$<TARGET_FILE:vantorel-cli>")
vantorel_add_test(test_scans_window
  ${CMAKE_CURRENT_LIST_DIR}/ui/WhatGrewWindowTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/LastScanWindowTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/app/ScreenshotDir.cpp
)
