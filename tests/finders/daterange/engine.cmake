# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_daterange_engine
  ${CMAKE_CURRENT_LIST_DIR}/DateRangeEngineTest.cpp
)
