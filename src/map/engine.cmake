# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/MapModel.h ${CMAKE_CURRENT_LIST_DIR}/MapModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MapScanEngine.h ${CMAKE_CURRENT_LIST_DIR}/MapScanEngine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MapLayout.h ${CMAKE_CURRENT_LIST_DIR}/MapLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MapRaster.h ${CMAKE_CURRENT_LIST_DIR}/MapRaster.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MapTexts.h ${CMAKE_CURRENT_LIST_DIR}/MapTexts.cpp
)
