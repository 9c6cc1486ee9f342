# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_delete
  ${CMAKE_CURRENT_LIST_DIR}/DeleteTestSupport.h
  ${CMAKE_CURRENT_LIST_DIR}/DeletionTotalsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TrashTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FolderTreeDeleteTest.cpp
)
# The desktop library's own trash, to compare the layout with.
target_link_libraries(test_delete PRIVATE PkgConfig::GIO)
vantorel_add_test(test_delete_ui
  ${CMAKE_CURRENT_LIST_DIR}/DeleteTestSupport.h
  ${CMAKE_CURRENT_LIST_DIR}/TfrmReallyDeleteTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TfrmDelDirectoryTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SwappedTreeTest.cpp
)
target_compile_definitions(test_delete_ui PRIVATE VANTOREL_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
