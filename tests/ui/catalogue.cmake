kv_test(test_cataloguepages ${KV_TEST_DIR}/test_cataloguepages.cpp)
