# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_browse_engine
  ${CMAKE_CURRENT_LIST_DIR}/FolderFileListTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FolderTreeModelTest.cpp
)
