# SPDX-License-Identifier: GPL-3.0-or-later
# Date-range finder: the date scan (no widgets), its window and the date picker.
include(${CMAKE_CURRENT_LIST_DIR}/engine.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/ui/window.cmake)
