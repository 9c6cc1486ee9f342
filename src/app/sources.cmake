# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel PRIVATE ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_sources(vantorel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/VantorelApplication.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HintSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TGradientBack.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TfrmMain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TfrmAbout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/THelpWindow.cpp
)
# The help file lies beside the program (and beside the tests, which share the output folder).
configure_file(${CMAKE_CURRENT_LIST_DIR}/vantorel.hlp ${CMAKE_BINARY_DIR}/bin/vantorel.hlp COPYONLY)
