# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_walk
  ${CMAKE_CURRENT_LIST_DIR}/FolderHandleTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FolderWalkerTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WalkAheadTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WalkExclusionTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ExclusionRulesTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListedFolderChainTest.cpp
)
