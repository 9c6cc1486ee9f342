# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AsideRemoval.h
  ${CMAKE_CURRENT_LIST_DIR}/AsideRemoval.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeletionTotals.h
  ${CMAKE_CURRENT_LIST_DIR}/DeletionTotals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FilesLeft.h
  ${CMAKE_CURRENT_LIST_DIR}/FilesLeft.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FolderTreeDelete.h
  ${CMAKE_CURRENT_LIST_DIR}/FolderTreeDelete.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FreedSpace.h
  ${CMAKE_CURRENT_LIST_DIR}/FreedSpace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeptCopies.h
  ${CMAKE_CURRENT_LIST_DIR}/KeptCopies.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListedFileRemoval.h
  ${CMAKE_CURRENT_LIST_DIR}/ListedFileRemoval.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProtectedFolders.h
  ${CMAKE_CURRENT_LIST_DIR}/ProtectedFolders.cpp
)
