# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PagedFileModel.h
  ${CMAKE_CURRENT_LIST_DIR}/PagedFileModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LineBreakCount.h
  ${CMAKE_CURRENT_LIST_DIR}/LineBreakCount.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StringsExtractor.h
  ${CMAKE_CURRENT_LIST_DIR}/StringsExtractor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ByteSearch.h
  ${CMAKE_CURRENT_LIST_DIR}/ByteSearch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileSearch.h
  ${CMAKE_CURRENT_LIST_DIR}/FileSearch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LineLayout.h
  ${CMAKE_CURRENT_LIST_DIR}/LineLayout.cpp
)
