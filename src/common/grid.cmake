# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/MessageService.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StringGridModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GridSorts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReportText.cpp
)
