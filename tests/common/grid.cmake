# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_grid
  ${CMAKE_CURRENT_LIST_DIR}/MessageServiceTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StringGridModelTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GridSortsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReportTextTest.cpp
)
