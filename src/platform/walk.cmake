# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ExclusionRules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FolderHandle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlobPattern.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FolderWalker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListedEntry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OwnChanges.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListedFolder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FolderAncestry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListedFolderChain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SharedExtents.h
  ${CMAKE_CURRENT_LIST_DIR}/SharedExtents.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WalkAhead.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WalkThreads.cpp
)
