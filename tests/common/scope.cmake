# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_scope_ui ${CMAKE_CURRENT_LIST_DIR}/ScopeUiTest.cpp)
