# What the library-planting tests need, each in a folder of its own under planting\ beside
# win_tests.exe: a marker library whose code leaves a file beside it when it runs, string
# libraries whose range title names them, and a host program that loads the block from a full
# file name. Every library is named OVSTRING5.DLL, as the host's string library is.
set(planting_sources ${CMAKE_CURRENT_LIST_DIR})

# planting_library(NAME ORIGIN MARKER): ORIGIN is the range title of its string table (none
# without one); MARKER set: it has the marker's code.
function(planting_library name origin marker)
  set(sources)
  if(marker)
    list(APPEND sources ${planting_sources}/marker.c)
  endif()
  if(origin)
    list(APPEND sources ${planting_sources}/strings.rc)
  endif()
  add_library(planting_${name} SHARED ${sources})
  set_target_properties(planting_${name} PROPERTIES
    LINKER_LANGUAGE C PREFIX "" OUTPUT_NAME OVSTRING5 SUFFIX ".DLL"
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/planting-build/${name}
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/planting-build/${name})
  if(origin)
    target_compile_definitions(planting_${name} PRIVATE ORIGIN=${origin})
  endif()
  if(marker)
    target_link_options(planting_${name} PRIVATE -static-libgcc)
  else()
    target_link_options(planting_${name} PRIVATE -nostdlib -Wl,-e,0 -Wl,--exclude-all-symbols)
  endif()
  add_custom_command(TARGET planting_${name} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:win_tests>/planting/${name}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:planting_${name}>
            $<TARGET_FILE_DIR:win_tests>/planting/${name}/OVSTRING5.DLL)
  add_dependencies(win_tests planting_${name})
endfunction()

planting_library(marker "" ON)
planting_library(marker-strings Markerbibliothek ON)
planting_library(program Programmordner OFF)
planting_library(block Blockordner OFF)
planting_library(preloaded Hostbibliothek OFF)
planting_library(system Systemordner OFF)

add_executable(planting_host ${planting_sources}/planting_host.cpp)
target_link_libraries(planting_host PRIVATE trazel_host)
target_link_options(planting_host PRIVATE ${static_runtime} -mconsole -municode)
set_target_properties(planting_host PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/planting-build/host-program)
add_custom_command(TARGET planting_host POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:win_tests>/planting
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:planting_host>
          $<TARGET_FILE_DIR:win_tests>/planting/)
add_dependencies(win_tests planting_host)

# The string library in the system folder needs a Wine prefix of its own.
add_test(NAME wine.planting.system_folder
         COMMAND ${planting_sources}/system_folder.sh $<TARGET_FILE_DIR:win_tests>/planting
                 $<TARGET_FILE:Trazel${bits}> ${CMAKE_BINARY_DIR}/planting-system)
set_tests_properties(wine.planting.system_folder PROPERTIES RESOURCE_LOCK display TIMEOUT 120)
