# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/StatisticsFigures.h ${CMAKE_CURRENT_LIST_DIR}/StatisticsFigures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StatisticsLabels.h ${CMAKE_CURRENT_LIST_DIR}/StatisticsLabels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TfrmStatistics.h ${CMAKE_CURRENT_LIST_DIR}/TfrmStatistics.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TfrmStatisticsRun.cpp
)
