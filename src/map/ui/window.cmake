# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/TMapView.h ${CMAKE_CURRENT_LIST_DIR}/TMapView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TfrmMap.h ${CMAKE_CURRENT_LIST_DIR}/TfrmMap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MapOpeners.h ${CMAKE_CURRENT_LIST_DIR}/MapOpeners.cpp
)
