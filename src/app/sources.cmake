# SPDX-License-Identifier: GPL-3.0-or-later
target_sources(vantorel PRIVATE ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
