# Windows build (MinGW-w64): the block library, the host program and the Wine tests.
enable_language(RC)
include(${CMAKE_SOURCE_DIR}/cmake/VersionInfo.cmake)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(bits 32)
else()
  set(bits 64)
endif()
set(DIST_DIR ${CMAKE_SOURCE_DIR}/dist)

set(win_defs WIN32_LEAN_AND_MEAN NOMINMAX STRICT _WIN32_WINNT=0x0601 WINVER=0x0601
             __USE_MINGW_ANSI_STDIO=1)
target_compile_definitions(trazel_core PUBLIC ${win_defs})
set(static_runtime -static -static-libgcc -static-libstdc++)
set(win_libs comctl32 comdlg32 gdi32 user32 advapi32 winspool shell32 windowscodecs ole32 uuid)

# Everything of the library but its entry code, so that Wine tests can link the units directly.
set(dll_only ${CMAKE_SOURCE_DIR}/block/Trazel32_win.cpp)
set(unit_win_sources ${win_sources})
list(REMOVE_ITEM unit_win_sources ${dll_only})
add_library(trazel_win STATIC ${unit_win_sources})
target_link_libraries(trazel_win PUBLIC trazel_core ${win_libs})

add_library(Trazel${bits} SHARED ${dll_only} ${CMAKE_SOURCE_DIR}/block/Trazel.rc
                                 ${CMAKE_SOURCE_DIR}/block/Trazel32.def)
set_target_properties(Trazel${bits} PROPERTIES PREFIX "" OUTPUT_NAME Trazel${bits})
target_link_libraries(Trazel${bits} PRIVATE trazel_win)
target_link_options(Trazel${bits} PRIVATE ${static_runtime} -Wl,--enable-stdcall-fixup
                    -Wl,--exclude-all-symbols)
set(build_note "")
if(bits EQUAL 64)
  set(build_note ", 64-Bit-Testbuild")
endif()
trazel_version_info(Trazel${bits}
  "Trazel: x-y-Schreiber f\\374r Kennfelder (Blockbibliothek${build_note})")
if(bits EQUAL 32)
  target_link_options(Trazel${bits} PRIVATE -s)  # the product ships without debug symbols
endif()
add_custom_command(TARGET Trazel${bits} POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E make_directory ${DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Trazel${bits}> ${DIST_DIR}/)

# The host program: loads the library from its own folder (or the file --dll names).
file(GLOB host_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/host/*.cpp)
list(REMOVE_ITEM host_sources ${CMAKE_SOURCE_DIR}/host/main.cpp)
add_library(trazel_host STATIC ${host_sources} ${CMAKE_SOURCE_DIR}/block/HostBlock.cpp)
target_include_directories(trazel_host PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(trazel_host PUBLIC ${win_defs})
# The host reads its samples and settings files with the core's number reading.
target_link_libraries(trazel_host PUBLIC trazel_core ${win_libs})
add_executable(trazelplay${bits} ${CMAKE_SOURCE_DIR}/host/main.cpp)
target_link_libraries(trazelplay${bits} PRIVATE trazel_host)
target_link_options(trazelplay${bits} PRIVATE ${static_runtime} -mconsole)
trazel_version_info(trazelplay${bits}
  "trazelplay: Messreihen durch den Trazel-Block abspielen (${bits} Bit)")
add_custom_command(TARGET trazelplay${bits} POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E make_directory ${DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:trazelplay${bits}> ${DIST_DIR}/)

if(bits EQUAL 32)
  include(${CMAKE_SOURCE_DIR}/cmake/ProductChecks.cmake)
else()
  include(${CMAKE_SOURCE_DIR}/cmake/WineTests.cmake)
endif()
