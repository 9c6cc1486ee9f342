# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/TfrmExclusions.h ${CMAKE_CURRENT_LIST_DIR}/TfrmExclusions.cpp
)
