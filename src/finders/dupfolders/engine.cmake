# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FolderSignature.h ${CMAKE_CURRENT_LIST_DIR}/FolderSignature.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DupFolderTree.h ${CMAKE_CURRENT_LIST_DIR}/DupFolderTree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DupFolderMatcher.h ${CMAKE_CURRENT_LIST_DIR}/DupFolderMatcher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DupFolderSubsets.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DupFolderEngine.h ${CMAKE_CURRENT_LIST_DIR}/DupFolderEngine.cpp
)
