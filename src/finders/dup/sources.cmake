# SPDX-License-Identifier: GPL-3.0-or-later
include(${CMAKE_CURRENT_LIST_DIR}/engine.cmake)    # the scan engine
include(${CMAKE_CURRENT_LIST_DIR}/ui/window.cmake) # the finder window
include(${CMAKE_CURRENT_LIST_DIR}/keep/sources.cmake) # which copy to keep
