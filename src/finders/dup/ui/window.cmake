# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/TfrmDup.h ${CMAKE_CURRENT_LIST_DIR}/TfrmDup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TfrmDupResults.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TfrmDupContent.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NumField.h ${CMAKE_CURRENT_LIST_DIR}/NumField.cpp
)
