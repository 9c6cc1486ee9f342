# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/TfrmWhatGrew.h ${CMAKE_CURRENT_LIST_DIR}/TfrmWhatGrew.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OpenScanFile.h ${CMAKE_CURRENT_LIST_DIR}/OpenScanFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TfrmOpenScan.h ${CMAKE_CURRENT_LIST_DIR}/TfrmOpenScan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LastScan.h ${CMAKE_CURRENT_LIST_DIR}/LastScan.cpp
)
