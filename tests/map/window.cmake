# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_map_window
  ${CMAKE_CURRENT_LIST_DIR}/ui/MapWindowTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/app/ScreenshotDir.cpp
)
