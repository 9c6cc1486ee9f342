# SPDX-License-Identifier: GPL-3.0-or-later
# The duplicate folder finder: the engine (no widgets) and its window.
include(${CMAKE_CURRENT_LIST_DIR}/engine.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/ui/window.cmake)
