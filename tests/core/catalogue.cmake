kv_test(test_catalogue ${KV_TEST_DIR}/test_catalogue.cpp)
