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

# Windows on two screens of the sizes users have, 1024 x 768 and 1600 x 1000, whose windows get frames.
add_executable(test_screen_fit ${CMAKE_CURRENT_LIST_DIR}/ScreenFitTest.cpp ${CMAKE_CURRENT_LIST_DIR}/ScreenshotDir.cpp)
target_link_libraries(test_screen_fit PRIVATE vantorel_test_support)
gtest_discover_tests(test_screen_fit DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                     PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen:configfile=${CMAKE_CURRENT_LIST_DIR}/two-screens.json"
                     TIMEOUT 300)
