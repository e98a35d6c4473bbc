# The office report over 20 000 tickets, its floor the same statement through the sqlite3 C API.
kv_bench(bench_report ${CMAKE_CURRENT_SOURCE_DIR}/bench_report.cpp)
target_link_libraries(bench_report PRIVATE PkgConfig::SQLITE3)
