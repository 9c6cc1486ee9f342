# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DisplayText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NumberTexts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecordField.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DosDateTime.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileDateTimeTexts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileTimePacker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScanPlaces.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RowOrder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WalkReport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SearchPathList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JsonText.cpp
)
