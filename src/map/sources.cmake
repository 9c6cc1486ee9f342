# SPDX-License-Identifier: GPL-3.0-or-later
# The map of where the space went: the model, layout and cushions (no widgets), the picture with
# its legend (QtGui, shared by the window and the command-line tool), the window and the command.
include(${CMAKE_CURRENT_LIST_DIR}/engine.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/paint/paint.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/ui/window.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/cli/command.cmake)
