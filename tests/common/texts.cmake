# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_texts
  ${CMAKE_CURRENT_LIST_DIR}/DisplayTextTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NumberTextsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DosDateTimeTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileTimePackerTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileDateTimeTextsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SearchPathListTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScanPlacesTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RowOrderTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JsonTextTest.cpp
)
