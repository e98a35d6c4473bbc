kv_test(test_daymath ${KV_TEST_DIR}/test_daymath.cpp)
kv_test(test_photos ${KV_TEST_DIR}/test_photos.cpp)
kv_test(test_ticket ${KV_TEST_DIR}/test_ticket.cpp)
