# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_keep
  ${CMAKE_CURRENT_LIST_DIR}/KeepChooserTest.cpp
)
