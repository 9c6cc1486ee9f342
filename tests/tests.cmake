# SPDX-License-Identifier: GPL-3.0-or-later
# Each piece lists its own test executables.
include(${CMAKE_CURRENT_LIST_DIR}/platform/services.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/platform/walk.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/common/texts.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/common/grid.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/common/ui.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/common/scope.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/finders/dup/engine.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/finders/dup/window.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/cli/cli.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/delete/delete.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/folderhogs/engine.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/app/app.cmake)
