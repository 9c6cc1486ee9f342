# SPDX-License-Identifier: GPL-3.0-or-later
# The command line's parts without main(): the option table, its parser and help, the result
# writers. The tool, the completion maker and the tests link them.
find_package(CLI11 2.1 REQUIRED CONFIG)
add_library(vantorel_cli_parts STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CliTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CliParser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CliHelp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SizeArgument.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResultOutput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JsonResults.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CompletionScripts.cpp
)
target_link_libraries(vantorel_cli_parts PUBLIC vantorel_core PRIVATE CLI11::CLI11)
# g++ 12 at -O3 warns -Wrestrict inside std::string for "text" + string (its bug 105329, a false
# alarm); these two files build their texts that way throughout.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/CliHelp.cpp ${CMAKE_CURRENT_LIST_DIR}/CompletionScripts.cpp
                              PROPERTIES COMPILE_OPTIONS "-Wno-restrict")
endif()

target_sources(vantorel-cli PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeepCommand.cpp
)
target_link_libraries(vantorel-cli PRIVATE vantorel_cli_parts)

# The shells' completions are made from the same table at build time, by a program of its own.
add_executable(vantorel-completions ${CMAKE_CURRENT_LIST_DIR}/completion/MakeCompletions.cpp)
target_link_libraries(vantorel-completions PRIVATE vantorel_cli_parts)
set(VANTOREL_COMPLETIONS ${CMAKE_BINARY_DIR}/completion/vantorel-cli ${CMAKE_BINARY_DIR}/completion/_vantorel-cli
                         ${CMAKE_BINARY_DIR}/completion/vantorel-cli.fish)
add_custom_command(OUTPUT ${VANTOREL_COMPLETIONS}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/completion
                   COMMAND vantorel-completions ${CMAKE_BINARY_DIR}/completion
                   DEPENDS vantorel-completions
                   COMMENT "Making the shell completions of vantorel-cli")
add_custom_target(vantorel_completions ALL DEPENDS ${VANTOREL_COMPLETIONS})
