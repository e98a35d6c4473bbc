kv_test(test_officepages ${KV_TEST_DIR}/test_officepages.cpp)
