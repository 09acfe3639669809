# The product library run for real: dist/Trazel32.dll under the 32-bit Wine loader emulated
# by qemu-i386, its pictures compared with the x86_64 build's (tools/emu32/run.sh prepares
# what it needs, builds the smoke program and runs both). Include from the build whose ctest
# runs the suite, after dist/ is built.
add_test(NAME emu32.smoke COMMAND ${CMAKE_SOURCE_DIR}/tools/emu32/run.sh)
set_tests_properties(emu32.smoke PROPERTIES TIMEOUT 1500 RESOURCE_LOCK display)
