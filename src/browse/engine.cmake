# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BrowsedFolder.h ${CMAKE_CURRENT_LIST_DIR}/BrowsedFolder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FolderFileList.h ${CMAKE_CURRENT_LIST_DIR}/FolderFileList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FolderTreeModel.h ${CMAKE_CURRENT_LIST_DIR}/FolderTreeModel.cpp
)
