# Static checks of the product binary: this machine cannot run 32-bit code.
add_test(NAME product.exports
  COMMAND ${CMAKE_SOURCE_DIR}/tests/block/check_exports.sh $<TARGET_FILE:Trazel${bits}>)

# The product run for real under an emulated 32-bit Wine, compared with the x86_64 build.
include(${CMAKE_SOURCE_DIR}/tests/emu32/emu32.cmake)

# The host's string library as a test library for the 32-bit build too.
include(${CMAKE_SOURCE_DIR}/tests/product/ovstring5/ovstring5.cmake)
