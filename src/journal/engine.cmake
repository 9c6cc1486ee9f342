# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/JournalRecord.h
  ${CMAKE_CURRENT_LIST_DIR}/JournalRecord.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeleteJournal.h
  ${CMAKE_CURRENT_LIST_DIR}/DeleteJournal.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JournalWriter.h
  ${CMAKE_CURRENT_LIST_DIR}/JournalWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JournalRun.h
  ${CMAKE_CURRENT_LIST_DIR}/JournalRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JournalUndo.h
  ${CMAKE_CURRENT_LIST_DIR}/JournalUndo.cpp
)
