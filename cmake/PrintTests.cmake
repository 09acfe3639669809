# The print command without any printer: a script takes the test printer away for the length of
# one Wine test and puts it back. It holds the display lock, so no other Wine test prints then.
add_test(NAME wine.NoPrinter.WithoutPrintServerPrinter
         COMMAND ${CMAKE_SOURCE_DIR}/tests/block/noprinter_test.sh $<TARGET_FILE_DIR:win_tests>)
set_tests_properties(wine.NoPrinter.WithoutPrintServerPrinter PROPERTIES
                     RESOURCE_LOCK display TIMEOUT 120
                     ENVIRONMENT TRAZEL_BUILD_ROOT=${TRAZEL_BUILD_ROOT})
