# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_dupfolders_window
  ${CMAKE_CURRENT_LIST_DIR}/ui/DupFoldersWindowTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/app/ScreenshotDir.cpp
)
