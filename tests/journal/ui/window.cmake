# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_journal_window
  ${CMAKE_CURRENT_LIST_DIR}/HistoryWindowTest.cpp
)
