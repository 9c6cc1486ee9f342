# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/KeepRule.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReferenceFolders.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeepChooser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CopyRemoval.cpp
)
include(${CMAKE_CURRENT_LIST_DIR}/ui/window.cmake) # the Mark copies window
