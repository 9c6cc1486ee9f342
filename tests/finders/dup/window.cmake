# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_dup_window ${CMAKE_CURRENT_LIST_DIR}/DupWindowTest.cpp)
