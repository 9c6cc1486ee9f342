# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DriveTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MountInfo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CurrentFolder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileTypes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Wildcard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OpenForReading.cpp
)
