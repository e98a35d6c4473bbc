# The cloud on the loopback server of the test command (KV_TEST_MYSQL_*): fan-out of a signed
# ticket to ten units (bare, and through the outbox) and the download of 1 000 tickets, beside the
# mariadb client's floor.
kv_bench(bench_cloud ${CMAKE_CURRENT_SOURCE_DIR}/bench_cloud.cpp)
