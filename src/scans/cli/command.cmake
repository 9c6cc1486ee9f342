# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel-cli PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ScanCommands.h ${CMAKE_CURRENT_LIST_DIR}/ScanCommands.cpp
)
