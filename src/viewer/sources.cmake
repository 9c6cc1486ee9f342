# SPDX-License-Identifier: GPL-3.0-or-later
# Browsing and viewing: the paged file model and the strings extractor (no widgets), their windows.
include(${CMAKE_CURRENT_LIST_DIR}/engine.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/ui/window.cmake)
