# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel-cli PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CliOptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResultOutput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KeepCommand.cpp
)
