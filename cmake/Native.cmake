# Native build: the portable core and its unit tests.
find_package(GTest REQUIRED)
include(GoogleTest)

if(TRAZEL_SANITIZE)
  set(san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_compile_options(trazel_core PUBLIC ${san})
  target_link_options(trazel_core PUBLIC ${san})
endif()

file(GLOB native_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*/*_test.cpp)
file(GLOB support_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
list(FILTER support_sources EXCLUDE REGEX "_win\\.cpp$")

add_executable(core_tests ${native_tests} ${support_sources})
target_include_directories(core_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests
                                              ${CMAKE_BINARY_DIR}/generated-tests)
target_link_libraries(core_tests PRIVATE trazel_core GTest::gtest GTest::gtest_main)
# The host program's portable pieces (command line, samples and settings files) are tested
# with the core.
target_sources(core_tests PRIVATE ${CMAKE_SOURCE_DIR}/host/Options.cpp
                                  ${CMAKE_SOURCE_DIR}/host/Samples.cpp
                                  ${CMAKE_SOURCE_DIR}/host/SettingsFile.cpp)
# The picture reader tests by themselves, on the repository's picture files: what the
# fresh-clone check (tools/fresh-clone-check.sh) builds and runs in a clone.
add_executable(picture_tests EXCLUDE_FROM_ALL
               ${CMAKE_SOURCE_DIR}/tests/block/TrazelBitmap_test.cpp
               ${CMAKE_SOURCE_DIR}/tests/block/TrazelMetafile_test.cpp)
target_include_directories(picture_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests
                                                 ${CMAKE_BINARY_DIR}/generated-tests)
target_link_libraries(picture_tests PRIVATE trazel_core GTest::gtest GTest::gtest_main)

set(test_prefix "native.")
if(TRAZEL_SANITIZE)
  set(test_prefix "sanitized.")
endif()
gtest_discover_tests(core_tests TEST_PREFIX ${test_prefix} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES)

if(TRAZEL_SANITIZE)
  # The sanitizers' options are built in; two checks that the tests really run instrumented.
  target_sources(core_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/fuzz/SanitizerOptions.cpp)
  add_test(NAME sanitized.InstrumentedWithAddressSanitizer
           COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=help=1 $<TARGET_FILE:core_tests>
                   --gtest_filter=-*)
  set_tests_properties(sanitized.InstrumentedWithAddressSanitizer PROPERTIES
                       PASS_REGULAR_EXPRESSION "Available flags for AddressSanitizer")
  add_test(NAME sanitized.InstrumentedWithUndefinedBehaviorSanitizer
           COMMAND sh -c "nm $<TARGET_FILE:core_tests> | grep -m1 __ubsan_handle_")
  set_tests_properties(sanitized.InstrumentedWithUndefinedBehaviorSanitizer PROPERTIES
                       PASS_REGULAR_EXPRESSION "__ubsan_handle_")
endif()

if(TRAZEL_FUZZ)
  include(${CMAKE_SOURCE_DIR}/cmake/Fuzz.cmake OPTIONAL)
endif()

# A clone of the repository in an empty folder builds and passes the picture reader tests, and
# no tracked file names a path outside the checkout.
if(TRAZEL_BUILD_ROOT AND NOT TRAZEL_SANITIZE)
  add_test(NAME product.fresh_clone COMMAND ${CMAKE_SOURCE_DIR}/tools/fresh-clone-check.sh)
  set_tests_properties(product.fresh_clone PROPERTIES TIMEOUT 900)
endif()

# The other trees' tests run from the plain native tree too, so that one ctest runs everything.
set(other_trees)
if(TRAZEL_BUILD_ROOT AND NOT TRAZEL_SANITIZE)
  set(other_trees win64 win32 sanitize)
endif()
foreach(other ${other_trees})
  set(other_dir ${TRAZEL_BUILD_ROOT}/${other})
  file(WRITE ${CMAKE_BINARY_DIR}/include-${other}.cmake
       "if(EXISTS \"${other_dir}/CTestTestfile.cmake\")\n  subdirs(\"${other_dir}\")\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES
               ${CMAKE_BINARY_DIR}/include-${other}.cmake)
endforeach()
