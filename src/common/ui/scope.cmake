# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DpiScale.h
  ${CMAKE_CURRENT_LIST_DIR}/DriveBoxPanel.h ${CMAKE_CURRENT_LIST_DIR}/DriveBoxPanel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DriveCombo.h ${CMAKE_CURRENT_LIST_DIR}/DriveCombo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WildcardCombo.h ${CMAKE_CURRENT_LIST_DIR}/WildcardCombo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TfrmWildCard.h ${CMAKE_CURRENT_LIST_DIR}/TfrmWildCard.cpp
)
