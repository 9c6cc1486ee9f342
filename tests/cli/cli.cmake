# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_cli
  ${CMAKE_CURRENT_LIST_DIR}/CliTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CliOptionsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CliOutputTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeepCliTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileMountCliTest.cpp
)
target_link_libraries(test_cli PRIVATE vantorel_cli_parts)
add_dependencies(test_cli vantorel-cli)
target_compile_definitions(test_cli PRIVATE VANTOREL_CLI_PATH="$<TARGET_FILE:vantorel-cli>")

# Every command's --json read back by Python's json module, against its text lines, under three locales.
add_test(NAME cli.json_across_locales
         COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/json_check.py $<TARGET_FILE:vantorel-cli>)
set_tests_properties(cli.json_across_locales PROPERTIES TIMEOUT 300)
