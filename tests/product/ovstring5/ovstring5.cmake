include_guard(GLOBAL)
# Test builds of the host's string library OVSTRING5.DLL: resource-only libraries made from a
# string table, one with every text the block library asks for, one that lacks some.
foreach(kind full partial)
  if(kind STREQUAL "full")
    set(rc ${CMAKE_CURRENT_LIST_DIR}/ovstring5.rc)
  else()
    set(rc ${CMAKE_CURRENT_LIST_DIR}/ovstring5_${kind}.rc)
  endif()
  add_library(ovstring5_${kind} SHARED ${rc})
  set_target_properties(ovstring5_${kind} PROPERTIES
    LINKER_LANGUAGE C PREFIX "" OUTPUT_NAME OVSTRING5 SUFFIX ".DLL"
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/ovstring5-build/${kind}
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/ovstring5-build/${kind})
  # No code at all: no runtime, no entry point.
  target_link_options(ovstring5_${kind} PRIVATE -nostdlib -Wl,-e,0 -Wl,--exclude-all-symbols)
endforeach()
