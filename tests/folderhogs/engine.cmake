# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_folderhogs_engine
  ${CMAKE_CURRENT_LIST_DIR}/FolderSizeEngineTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FolderRefreshTest.cpp
)
