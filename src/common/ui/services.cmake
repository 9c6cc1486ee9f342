# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/MessageBoxService.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BusyCursor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PrintGrid.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CopyLinesToClipboard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResultGridView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AltKeyGuard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScanDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScreenFit.h ${CMAKE_CURRENT_LIST_DIR}/ScreenFit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StatusPanel.h ${CMAKE_CURRENT_LIST_DIR}/StatusPanel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SkippedEntriesPanel.h ${CMAKE_CURRENT_LIST_DIR}/SkippedEntriesPanel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UpDownSpinner.h ${CMAKE_CURRENT_LIST_DIR}/UpDownSpinner.cpp
)
