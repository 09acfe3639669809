# libFuzzer targets over the portable core (clang only), built in the sanitizer tree. Each
# target lives in tests/fuzz/<name>_fuzz.cpp with its seed corpus in tests/fuzz/corpus/<name>/
# and an optional dictionary tests/fuzz/<name>.dict. The test run fuzzes each one for a short,
# bounded time (fuzz.<name>); tools/fuzz.sh runs them longer.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(WARNING "TRAZEL_FUZZ needs clang: the fuzz targets are left out")
  return()
endif()

set(TRAZEL_FUZZ_SECONDS 20 CACHE STRING "Fuzzing time of each fuzz.* test, in seconds")
set(fuzz_flags -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer)

# The core again, with coverage for the fuzzer. The graph engine is built on its own, with the
# NaN trap force-included, so that a NaN on its way to a device value stops the run.
set(fuzz_core_sources ${core_sources})
list(FILTER fuzz_core_sources EXCLUDE REGEX "/graphic/OVGraphic\\.cpp$")
add_library(trazel_fuzzcore STATIC ${fuzz_core_sources})
target_include_directories(trazel_fuzzcore PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(trazel_fuzzcore PUBLIC ${fuzz_flags})
target_link_options(trazel_fuzzcore PUBLIC -fsanitize=fuzzer,address,undefined)

add_library(trazel_fuzzgraph STATIC ${CMAKE_SOURCE_DIR}/graphic/OVGraphic.cpp)
target_compile_options(trazel_fuzzgraph PRIVATE -include ${CMAKE_SOURCE_DIR}/tests/fuzz/NanTrap.h)
target_link_libraries(trazel_fuzzgraph PUBLIC trazel_fuzzcore)

file(GLOB fuzz_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
foreach(src ${fuzz_sources})
  get_filename_component(target ${src} NAME_WE)
  string(REGEX REPLACE "_fuzz$" "" name ${target})
  add_executable(${target} ${src} ${CMAKE_SOURCE_DIR}/tests/support/RecordingCanvas.cpp
                           ${CMAKE_SOURCE_DIR}/tests/fuzz/SanitizerOptions.cpp)
  target_link_libraries(${target} PRIVATE trazel_fuzzgraph trazel_fuzzcore)

  # New inputs go to a corpus in the build tree; the seed corpus in the repository is only read.
  set(work ${CMAKE_BINARY_DIR}/fuzz/${name})
  file(MAKE_DIRECTORY ${work}/corpus ${work}/artifacts)
  set(args -max_total_time=${TRAZEL_FUZZ_SECONDS} -timeout=5 -rss_limit_mb=2048
      -print_final_stats=1 -artifact_prefix=${work}/artifacts/)
  if(EXISTS ${CMAKE_SOURCE_DIR}/tests/fuzz/${name}.dict)
    list(APPEND args -dict=${CMAKE_SOURCE_DIR}/tests/fuzz/${name}.dict)
  endif()
  add_test(NAME fuzz.${name}
           COMMAND ${target} ${args} ${work}/corpus ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
  set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 180 LABELS fuzz)
endforeach()
