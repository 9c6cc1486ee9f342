# SPDX-License-Identifier: GPL-3.0-or-later
# Each piece of the platform layer lists its own files.
include(${CMAKE_CURRENT_LIST_DIR}/services.cmake)  # drives, file types, wildcards, current folder
include(${CMAKE_CURRENT_LIST_DIR}/walk.cmake)      # folder handles, listing, the walker
include(${CMAKE_CURRENT_LIST_DIR}/trash.cmake)     # trash and settings files
