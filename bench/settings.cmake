# Start-up, reading and closing with damaged 10 MB settings files (see bench_settings.cpp).
kv_bench(bench_settings ${CMAKE_CURRENT_SOURCE_DIR}/bench_settings.cpp)
