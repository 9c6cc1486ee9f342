# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_delete
  ${CMAKE_CURRENT_LIST_DIR}/DeleteTestSupport.h
  ${CMAKE_CURRENT_LIST_DIR}/DeletionTotalsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TrashTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FolderTreeDeleteTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AsideRemovalTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FreedSpaceTest.cpp
)
# The desktop library's own trash, to compare the layout with.
target_link_libraries(test_delete PRIVATE PkgConfig::GIO)
# Records runs in the totals file from its own process, so the totals tests can race programs.
add_executable(totals_adder ${CMAKE_CURRENT_LIST_DIR}/TotalsAdder.cpp)
target_link_libraries(totals_adder PRIVATE vantorel_core)
# Killed between a trash move's record and the move, so the tests can see what the next run does.
add_executable(trash_killed ${CMAKE_CURRENT_LIST_DIR}/TrashKilled.cpp)
target_link_libraries(trash_killed PRIVATE vantorel_core)
add_dependencies(test_delete totals_adder trash_killed)
target_compile_definitions(test_delete PRIVATE VANTOREL_TOTALS_ADDER="$<TARGET_FILE:totals_adder>"
                                               VANTOREL_TRASH_KILLED="$<TARGET_FILE:trash_killed>")

vantorel_add_test(test_delete_ui
  ${CMAKE_CURRENT_LIST_DIR}/DeleteTestSupport.h
  ${CMAKE_CURRENT_LIST_DIR}/FilesLeftReport.h
  ${CMAKE_CURRENT_LIST_DIR}/TfrmReallyDeleteTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TfrmDelDirectoryTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SwappedTreeTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FolderDeleteRunTest.cpp
)
target_compile_definitions(test_delete_ui PRIVATE VANTOREL_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
