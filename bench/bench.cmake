# SPDX-License-Identifier: GPL-3.0-or-later
# Benchmark programs: built with the programs, run only by bench/run.sh.
add_executable(bench-grid-sort ${CMAKE_CURRENT_LIST_DIR}/GridSortBench.cpp)
target_link_libraries(bench-grid-sort PRIVATE vantorel_core)
add_executable(bench-browse-fill ${CMAKE_CURRENT_LIST_DIR}/BrowseFillBench.cpp)
target_link_libraries(bench-browse-fill PRIVATE vantorel_ui)
add_executable(bench-viewer ${CMAKE_CURRENT_LIST_DIR}/ViewerBench.cpp)
target_link_libraries(bench-viewer PRIVATE vantorel_ui Qt6::Test)
add_executable(bench-trash ${CMAKE_CURRENT_LIST_DIR}/TrashBench.cpp)
target_link_libraries(bench-trash PRIVATE vantorel_core)
add_executable(bench-map ${CMAKE_CURRENT_LIST_DIR}/MapBench.cpp)
target_link_libraries(bench-map PRIVATE vantorel_paint)
add_executable(bench-folder-delete ${CMAKE_CURRENT_LIST_DIR}/FolderDeleteBench.cpp)
target_link_libraries(bench-folder-delete PRIVATE vantorel_core)
