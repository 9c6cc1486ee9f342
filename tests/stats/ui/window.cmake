# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_stats_window
  ${CMAKE_CURRENT_LIST_DIR}/StatisticsWindowTest.cpp
)
