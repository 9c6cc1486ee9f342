# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_viewer_window
  ${CMAKE_CURRENT_LIST_DIR}/ui/ViewerControlTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui/ViewWindowTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/app/ScreenshotDir.cpp
)
