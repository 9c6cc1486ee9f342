# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DeleteWindowLayout.h
  ${CMAKE_CURRENT_LIST_DIR}/DeleteWindowLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeleteRunPacer.h
  ${CMAKE_CURRENT_LIST_DIR}/TfrmDeleteProgress.h
  ${CMAKE_CURRENT_LIST_DIR}/TfrmDeleteProgress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TfrmFilesLeft.h
  ${CMAKE_CURRENT_LIST_DIR}/TfrmFilesLeft.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TfrmReallyDelete.h
  ${CMAKE_CURRENT_LIST_DIR}/TfrmReallyDelete.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TfrmDelDirectory.h
  ${CMAKE_CURRENT_LIST_DIR}/TfrmDelDirectory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FolderDeleteRun.h
  ${CMAKE_CURRENT_LIST_DIR}/FolderDeleteRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FreedSpaceLine.h
  ${CMAKE_CURRENT_LIST_DIR}/FreedSpaceLine.cpp
)
