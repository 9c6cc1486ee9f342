# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_map_engine
  ${CMAKE_CURRENT_LIST_DIR}/MapLayoutTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MapScanTest.cpp
)
