# Tests of the x86_64 build, run under wine64 on an Xvfb display (see tools/wine-run).
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tools/wine-run)

file(GLOB wine_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*/*_wintest.cpp)
file(GLOB wine_support CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*_win.cpp)
add_executable(win_tests ${wine_tests} ${wine_support})
set_target_properties(win_tests PROPERTIES CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tools/wine-run)
target_include_directories(win_tests PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests
                                             ${CMAKE_BINARY_DIR}/generated-tests)
target_link_libraries(win_tests PRIVATE trazel_win trazel_host gtest gtest_main version)
target_link_options(win_tests PRIVATE ${static_runtime} -mconsole)
add_dependencies(win_tests Trazel${bits} trazelplay${bits})
# The tests load the library from their own folder, as the host does.
add_custom_command(TARGET win_tests POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Trazel${bits}> $<TARGET_FILE_DIR:win_tests>/)

# One ctest entry per test suite: a Wine process costs seconds to start, so the tests of a
# suite share one process (a suite that needs a fresh library load is a suite of its own).
set(wine_suites)
foreach(src ${wine_tests})
  file(STRINGS ${src} lines REGEX "^TEST(_F)?\\(")
  foreach(line ${lines})
    string(REGEX REPLACE "^TEST(_F)?\\(([A-Za-z0-9_]+),.*" "\\2" suite "${line}")
    list(APPEND wine_suites ${suite})
  endforeach()
endforeach()
list(REMOVE_DUPLICATES wine_suites)
foreach(suite ${wine_suites})
  add_test(NAME wine.${suite} COMMAND win_tests --gtest_filter=${suite}.*
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(wine.${suite} PROPERTIES RESOURCE_LOCK display TIMEOUT 300)
endforeach()

include(${CMAKE_SOURCE_DIR}/tests/wine-extra.cmake OPTIONAL)
include(${CMAKE_SOURCE_DIR}/cmake/Bench.cmake)
include(${CMAKE_SOURCE_DIR}/cmake/PrintTests.cmake)
