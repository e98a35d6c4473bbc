kv_bench(bench_store ${CMAKE_CURRENT_SOURCE_DIR}/bench_store.cpp)
