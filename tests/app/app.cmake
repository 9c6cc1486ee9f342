# SPDX-License-Identifier: GPL-3.0-or-later
vantorel_add_test(test_app
  ${CMAKE_CURRENT_LIST_DIR}/ScreenshotDir.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainWindowTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GradientTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GeneralHandlerTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HelpTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FinderOpeningTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StatisticsOpeningTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StringsScreenshotTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BrowserOpeningTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListLayoutTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HistoryOpeningTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MarkCopiesScreenshotTest.cpp
)
