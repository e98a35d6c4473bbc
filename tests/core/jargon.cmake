kv_test(test_jargon ${KV_TEST_DIR}/test_jargon.cpp)
