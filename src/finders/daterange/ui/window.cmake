# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DateGlyphs.h ${CMAKE_CURRENT_LIST_DIR}/DateGlyphs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PickDateCalendar.h ${CMAKE_CURRENT_LIST_DIR}/PickDateCalendar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TfrmPickDate.h ${CMAKE_CURRENT_LIST_DIR}/TfrmPickDate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TfrmMods.h ${CMAKE_CURRENT_LIST_DIR}/TfrmMods.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TfrmModsResults.cpp
)
