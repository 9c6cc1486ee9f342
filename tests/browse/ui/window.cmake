# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_browse_window
  ${CMAKE_CURRENT_LIST_DIR}/BrowseWindowTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BrowseHandOffTest.cpp
)
