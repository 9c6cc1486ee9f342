# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_dup_engine
  ${CMAKE_CURRENT_LIST_DIR}/DupScanEngineTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DupRecordOrderTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DupContentCheckTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ContentCompareTest.cpp
)
