# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_viewer_engine
  ${CMAKE_CURRENT_LIST_DIR}/PagedFileModelTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StringsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SearchTest.cpp
)
