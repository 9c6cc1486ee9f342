# SPDX-License-Identifier: GPL-3.0-or-later
add_library(vantorel_test_support STATIC
  ${CMAKE_CURRENT_LIST_DIR}/TestMain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TempTree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecordingMessageService.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReachableProgram.cpp
)
target_include_directories(vantorel_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(vantorel_test_support PUBLIC vantorel_ui GTest::gtest GTest::gmock Qt6::Test)
