# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_platform_services
  ${CMAKE_CURRENT_LIST_DIR}/WildcardTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileTypesTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DriveTableTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProfileFileLockTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReadingAccessTimeTest.cpp
)
