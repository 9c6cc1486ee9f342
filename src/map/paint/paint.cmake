# SPDX-License-Identifier: GPL-3.0-or-later
# The map's picture needs fonts and images (QtGui) but no widget: a library of its own, so the
# command-line tool draws it without the window classes.
add_library(vantorel_paint STATIC
  ${CMAKE_CURRENT_LIST_DIR}/MapPicture.h ${CMAKE_CURRENT_LIST_DIR}/MapPicture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OffscreenGui.h ${CMAKE_CURRENT_LIST_DIR}/OffscreenGui.cpp
)
target_link_libraries(vantorel_paint PUBLIC vantorel_core Qt6::Gui)
target_link_libraries(vantorel_ui PUBLIC vantorel_paint)
target_link_libraries(vantorel-cli PRIVATE vantorel_paint)
