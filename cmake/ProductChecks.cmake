# Static checks of the product binary: this machine cannot run 32-bit code.
add_test(NAME product.exports
  COMMAND ${CMAKE_SOURCE_DIR}/tests/block/check_exports.sh $<TARGET_FILE:Trazel${bits}>)

# The product run for real under an emulated 32-bit Wine, compared with the x86_64 build.
include(${CMAKE_SOURCE_DIR}/tests/emu32/emu32.cmake)

# The host's string library as a test library for the 32-bit build too.
include(${CMAKE_SOURCE_DIR}/tests/product/ovstring5/ovstring5.cmake)

# The release package (tools/package.py) built into a fresh folder and unpacked again; its
# demo run from the unpacked folder under wine64, with the x86_64 build in place.
add_test(NAME product.package
  COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/product/package_test.py ${DIST_DIR})
add_test(NAME product.package_demo
  COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/product/package_test.py ${DIST_DIR} --demo)
set_tests_properties(product.package_demo PROPERTIES RESOURCE_LOCK display TIMEOUT 300)
