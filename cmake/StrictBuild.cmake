# SPDX-License-Identifier: GPL-3.0-or-later
# One place for the language level, the warning set and the sanitizers of our own code.
add_library(vantorel_strict INTERFACE)
target_compile_features(vantorel_strict INTERFACE cxx_std_20)
target_compile_options(vantorel_strict INTERFACE -Wall -Wextra -Wpedantic -Werror)
target_compile_definitions(vantorel_strict INTERFACE QT_NO_KEYWORDS _FILE_OFFSET_BITS=64)
if(VANTOREL_SANITIZE)
  target_compile_options(vantorel_strict INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                   -fno-sanitize-recover=undefined)
  target_link_options(vantorel_strict INTERFACE -fsanitize=address,undefined)
endif()

# Adds a GoogleTest executable of one area; every test case becomes its own CTest test.
function(vantorel_add_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE vantorel_test_support)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen TIMEOUT 300)
endfunction()
