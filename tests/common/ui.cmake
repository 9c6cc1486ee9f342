# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_common_ui
  ${CMAKE_CURRENT_LIST_DIR}/UiServicesTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResultGridViewTest.cpp
)
target_compile_definitions(test_common_ui PRIVATE VANTOREL_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
