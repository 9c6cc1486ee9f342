# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DupRecordStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DupRecordOrder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DupScanEngine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ContentCompare.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DupContentCheck.cpp
)
