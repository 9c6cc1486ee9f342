# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_folderhogs_window
  ${CMAKE_CURRENT_LIST_DIR}/FolderRowSortTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DirHogWindowTest.cpp
)
