# SPDX-License-Identifier: GPL-3.0-or-later
include(${CMAKE_CURRENT_LIST_DIR}/texts.cmake)     # number, size, date and name texts, search path
include(${CMAKE_CURRENT_LIST_DIR}/grid.cmake)      # message service, grid model, sorts, report texts
include(${CMAKE_CURRENT_LIST_DIR}/ui/services.cmake) # message boxes, printing, clipboard, result grid view
include(${CMAKE_CURRENT_LIST_DIR}/ui/scope.cmake)  # drive boxes, wildcard combo and picker
include(${CMAKE_CURRENT_LIST_DIR}/ui/finder.cmake) # marks, the grid pop-up menu, the browser hand-off
