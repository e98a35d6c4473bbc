kv_test(test_configpages ${KV_TEST_DIR}/test_configpages.cpp)
