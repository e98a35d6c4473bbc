# The three lists at two scales (10 000 and 100 000 parts, 2 000 and 20 000 clients and
# tickets). Opening a list, a header click and a search keystroke, each with the grid painted
# as the user would see it, beside the floors of the search (the sqlite3 C API) and of the paint
# (a plain QTableView).
kv_bench(bench_catalogue ${CMAKE_CURRENT_SOURCE_DIR}/bench_catalogue.cpp)
target_link_libraries(bench_catalogue PRIVATE PkgConfig::SQLITE3)
