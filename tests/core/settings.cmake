kv_test(test_settings ${KV_TEST_DIR}/test_settings.cpp)
