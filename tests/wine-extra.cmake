# Extra pieces of the Wine tests: the test builds of the host's string library, the libraries
# and host program of the planting tests, and the tests that need a prepared environment
# (registry, locale).

include(${CMAKE_SOURCE_DIR}/tests/product/ovstring5/ovstring5.cmake)
include(${CMAKE_SOURCE_DIR}/tests/product/planting/planting.cmake)

# The string libraries lie in folders of their own beside win_tests.exe; a test puts one of
# them on the search path, so that nothing finds them by accident.
foreach(kind full partial)
  add_custom_command(TARGET ovstring5_${kind} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:win_tests>/ovstring5/${kind}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:ovstring5_${kind}>
            $<TARGET_FILE_DIR:win_tests>/ovstring5/${kind}/OVSTRING5.DLL)
  add_dependencies(win_tests ovstring5_${kind})
endforeach()

# Tests that need a prepared environment: each ctest entry below gives prepared_tests.exe the
# registry content or the locale its tests expect (tests/product/prepared/run_prepared.sh).
file(GLOB prepared_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/product/prepared/*.cpp)
add_executable(prepared_tests ${prepared_sources} ${wine_support})
target_include_directories(prepared_tests PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests
                                                  ${CMAKE_BINARY_DIR}/generated-tests)
target_link_libraries(prepared_tests PRIVATE trazel_win trazel_host gtest gtest_main version)
target_link_options(prepared_tests PRIVATE ${static_runtime} -mconsole)
add_dependencies(prepared_tests Trazel${bits} win_tests)

set(run_prepared ${CMAKE_SOURCE_DIR}/tests/product/prepared/run_prepared.sh)
set(grid_mode "Default Grid Mode")
function(add_registry_test name filter)
  add_test(NAME wine.registry.${name}
           COMMAND ${run_prepared} $<TARGET_FILE:prepared_tests> ${filter} --registry ${ARGN})
  set_tests_properties(wine.registry.${name} PROPERTIES
    RESOURCE_LOCK display TIMEOUT 60)
endfunction()
add_registry_test(grid_mode_3 PreparedRegistry.GridModeText3 "${grid_mode}=3")
add_registry_test(grid_mode_hex PreparedRegistry.GridModeHex2 "${grid_mode}=0x2")
add_registry_test(grid_mode_no_number PreparedRegistry.GridModeNoNumber "${grid_mode}=abc")
add_registry_test(scientific_format PreparedRegistry.ScientificDefaultFormat
                  "Default Float Notation=1" "Default Float Width=10"
                  "Default Float Precision=4")
add_registry_test(no_product_key PreparedRegistry.NoProductKey)

# German number settings: the test sets the user's separators itself and puts them back; should
# it not get that far, removing the prefix's locale name makes the next Wine process write the
# locale's own settings again.
add_test(NAME wine.locale.german_decimal_point
         COMMAND ${run_prepared} $<TARGET_FILE:prepared_tests> GermanLocale.* --reset-locale)
set_tests_properties(wine.locale.german_decimal_point PROPERTIES RESOURCE_LOCK display TIMEOUT 60)

# Two replays side by side through ./run shell, on a Wine prefix and display of their own (made
# once in the build folder), so that they are the first and the last users of their services.
add_test(NAME wine.parallel_replays
         COMMAND ${CMAKE_SOURCE_DIR}/tests/host/parallel_replays.sh ${CMAKE_SOURCE_DIR}
                 ${CMAKE_BINARY_DIR}/parallel_replays)
set_tests_properties(wine.parallel_replays PROPERTIES TIMEOUT 400)
