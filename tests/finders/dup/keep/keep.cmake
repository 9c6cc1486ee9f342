# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_keep
  ${CMAKE_CURRENT_LIST_DIR}/KeepChooserTest.cpp
)
vantorel_add_test(test_keep_window ${CMAKE_CURRENT_LIST_DIR}/MarkCopiesWindowTest.cpp)
