# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_dupfolders_engine
  ${CMAKE_CURRENT_LIST_DIR}/DupFolderEngineTest.cpp
)
vantorel_add_test(test_dupfolders_cli
  ${CMAKE_CURRENT_LIST_DIR}/DupFoldersCliTest.cpp
)
add_dependencies(test_dupfolders_cli vantorel-cli)
target_compile_definitions(test_dupfolders_cli PRIVATE VANTOREL_CLI_PATH="$<TARGET_FILE:vantorel-cli>")
