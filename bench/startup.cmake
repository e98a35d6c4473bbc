# Start-up to the painted main page beside an empty window; run through bench/startup.sh.
kv_bench(bench_startup ${CMAKE_CURRENT_SOURCE_DIR}/bench_startup.cpp ${CMAKE_CURRENT_SOURCE_DIR}/StartupReport.h)
add_executable(bench_startup_floor ${CMAKE_CURRENT_SOURCE_DIR}/bench_startup_floor.cpp ${CMAKE_CURRENT_SOURCE_DIR}/StartupReport.h)
target_link_libraries(bench_startup_floor PRIVATE Qt6::Widgets)
