# Benchmarks of the block under wine64: ./run bench runs them (tools/bench.sh).
add_executable(simulate_bench ${CMAKE_SOURCE_DIR}/bench/simulate_bench.cpp)
target_link_libraries(simulate_bench PRIVATE trazel_host)
target_link_options(simulate_bench PRIVATE ${static_runtime} -mconsole)
add_dependencies(simulate_bench Trazel${bits})
# The benchmark loads the library from its own folder, as the host does.
add_custom_command(TARGET simulate_bench POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Trazel${bits}> $<TARGET_FILE_DIR:simulate_bench>/)

# Four figures of the block, each a ratio of two measurements taken in one run.
# Process memory is measured as the robustness tests measure it.
add_executable(ratios_bench ${CMAKE_SOURCE_DIR}/bench/ratios_bench.cpp
               ${CMAKE_SOURCE_DIR}/tests/support/ProcessResources_win.cpp)
target_include_directories(ratios_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(ratios_bench PRIVATE trazel_host trazel_core psapi)
target_link_options(ratios_bench PRIVATE ${static_runtime} -mconsole)
add_dependencies(ratios_bench Trazel${bits})
add_custom_command(TARGET ratios_bench POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Trazel${bits}> $<TARGET_FILE_DIR:ratios_bench>/)
