kv_test(test_configform ${KV_TEST_DIR}/test_configform.cpp)
