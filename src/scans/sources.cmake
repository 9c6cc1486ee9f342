# SPDX-License-Identifier: GPL-3.0-or-later
# Saved scans: ncdu's JSON export format written while walking and read back as a walk, snapshots
# of the folder hog scans, and the comparison of two scans (engines without widgets), their window
# and their commands.
include(${CMAKE_CURRENT_LIST_DIR}/engine.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/ui/window.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/cli/command.cmake)
