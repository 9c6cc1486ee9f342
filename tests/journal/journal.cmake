# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_journal
  ${CMAKE_CURRENT_LIST_DIR}/JournalTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UndoTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JournalCommandTest.cpp
)
# Deletes files with the journal from its own process, so that two programs can delete at once.
add_executable(journal_deleter ${CMAKE_CURRENT_LIST_DIR}/JournalDeleter.cpp)
target_link_libraries(journal_deleter PRIVATE vantorel_core)
add_dependencies(test_journal journal_deleter vantorel-cli)
target_compile_definitions(test_journal PRIVATE VANTOREL_JOURNAL_DELETER="$<TARGET_FILE:journal_deleter>"
                                                VANTOREL_CLI_PATH="$<TARGET_FILE:vantorel-cli>")
