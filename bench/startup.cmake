# Start-up to the painted main page against an empty window; run through bench/startup.sh.
kv_bench(bench_startup ${CMAKE_CURRENT_SOURCE_DIR}/bench_startup.cpp)
