# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_map_engine
  ${CMAKE_CURRENT_LIST_DIR}/MapLayoutTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MapScanTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MapRefreshTest.cpp
)
vantorel_add_test(test_map_cli
  ${CMAKE_CURRENT_LIST_DIR}/MapCommandTest.cpp
)
add_dependencies(test_map_cli vantorel-cli)
target_compile_definitions(test_map_cli PRIVATE VANTOREL_CLI_PATH="$<TARGET_FILE:vantorel-cli>")
