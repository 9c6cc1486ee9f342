# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_exclusions_window
  ${CMAKE_CURRENT_LIST_DIR}/ExclusionsWindowTest.cpp
  ${PROJECT_SOURCE_DIR}/tests/app/ScreenshotDir.cpp
)
