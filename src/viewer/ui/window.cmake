# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/TfrmStrings.h
  ${CMAKE_CURRENT_LIST_DIR}/TfrmStrings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TFixedFont.h
  ${CMAKE_CURRENT_LIST_DIR}/TFixedFont.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TBaseViewer.h
  ${CMAKE_CURRENT_LIST_DIR}/TBaseViewer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TBaseViewerInput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TFileViewer.h
  ${CMAKE_CURRENT_LIST_DIR}/TFileViewer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TFindDlg.h
  ${CMAKE_CURRENT_LIST_DIR}/TFindDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TfrmView.h
  ${CMAKE_CURRENT_LIST_DIR}/TfrmView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TfrmViewActions.cpp
)
