# SPDX-License-Identifier: GPL-3.0-or-later
# Deletion: the engines (no widgets) and the two confirmation windows.
include(${CMAKE_CURRENT_LIST_DIR}/engine.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/ui/windows.cmake)
