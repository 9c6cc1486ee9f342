# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/UserSettings.h ${CMAKE_CURRENT_LIST_DIR}/UserSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ExclusionSetting.h ${CMAKE_CURRENT_LIST_DIR}/ExclusionSetting.cpp
)
