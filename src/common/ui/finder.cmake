# SPDX-License-Identifier: GPL-3.0-or-later
# What every finder window does alike with its results: marks, the grid's pop-up menu, the browser hand-off,
# the hold on a result button that appears where Abort was.
target_sources(vantorel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/MarkedFiles.h ${CMAKE_CURRENT_LIST_DIR}/MarkedFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FinderPopupMenu.h ${CMAKE_CURRENT_LIST_DIR}/FinderPopupMenu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BrowseHandOff.h
  ${CMAKE_CURRENT_LIST_DIR}/SwappedButtonGuard.h ${CMAKE_CURRENT_LIST_DIR}/SwappedButtonGuard.cpp
)
