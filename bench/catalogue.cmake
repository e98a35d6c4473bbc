# The three lists at scale: 100 000 parts, 20 000 clients, 50 000 tickets. Opening a list, a
# header click and a search keystroke, each with the grid painted as the user would see it.
kv_bench(bench_catalogue ${CMAKE_CURRENT_SOURCE_DIR}/bench_catalogue.cpp)
