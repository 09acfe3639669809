# Extra pieces of the Wine tests: the test builds of the host's string library, and the tests
# that need a prepared environment (registry content, locale).

include(${CMAKE_SOURCE_DIR}/tests/product/ovstring5/ovstring5.cmake)

# The string libraries lie in folders of their own beside win_tests.exe; a test puts one of
# them on the search path, so that nothing finds them by accident.
foreach(kind full partial)
  add_custom_command(TARGET ovstring5_${kind} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:win_tests>/ovstring5/${kind}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:ovstring5_${kind}>
            $<TARGET_FILE_DIR:win_tests>/ovstring5/${kind}/OVSTRING5.DLL)
  add_dependencies(win_tests ovstring5_${kind})
endforeach()
