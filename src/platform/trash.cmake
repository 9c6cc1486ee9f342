# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Trash.h
  ${CMAKE_CURRENT_LIST_DIR}/Trash.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TrashNames.h
  ${CMAKE_CURRENT_LIST_DIR}/TrashNames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TrashUnderway.h
  ${CMAKE_CURRENT_LIST_DIR}/TrashUnderway.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StateFolder.h
  ${CMAKE_CURRENT_LIST_DIR}/StateFolder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProfileFile.h
  ${CMAKE_CURRENT_LIST_DIR}/ProfileFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LockWithin.h
  ${CMAKE_CURRENT_LIST_DIR}/LockWithin.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UniqueFd.h
)
