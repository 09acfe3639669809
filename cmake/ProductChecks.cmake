# Static checks of the product binary: this machine cannot run 32-bit code.
add_test(NAME product.exports
  COMMAND ${CMAKE_SOURCE_DIR}/tests/block/check_exports.sh $<TARGET_FILE:Trazel${bits}>)
