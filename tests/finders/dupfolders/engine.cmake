# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_dupfolders_engine
  ${CMAKE_CURRENT_LIST_DIR}/DupFolderEngineTest.cpp
)
