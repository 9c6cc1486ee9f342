# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/StatisticsCollector.h
  ${CMAKE_CURRENT_LIST_DIR}/StatisticsCollector.cpp
)
