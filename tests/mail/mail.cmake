kv_test(test_mail ${KV_TEST_DIR}/test_mail.cpp)
