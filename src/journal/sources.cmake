# SPDX-License-Identifier: GPL-3.0-or-later
# The journal of delete runs and their undo: the engine (no widgets), the History window and the
# journal and undo commands.
include(${CMAKE_CURRENT_LIST_DIR}/engine.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/ui/window.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/cli/command.cmake)
