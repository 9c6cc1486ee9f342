# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_daterange_window
  ${CMAKE_CURRENT_LIST_DIR}/PickDateTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModsWindowTest.cpp
)
