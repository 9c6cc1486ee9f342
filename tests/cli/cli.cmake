# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_cli
  ${CMAKE_CURRENT_LIST_DIR}/CliTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CliOptionsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CliOutputTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeepCliTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileMountCliTest.cpp
  ${PROJECT_SOURCE_DIR}/src/cli/CliOptions.cpp
  ${PROJECT_SOURCE_DIR}/src/cli/ResultOutput.cpp
)
add_dependencies(test_cli vantorel-cli)
target_compile_definitions(test_cli PRIVATE VANTOREL_CLI_PATH="$<TARGET_FILE:vantorel-cli>")
