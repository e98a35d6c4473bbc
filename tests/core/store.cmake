kv_test(test_table ${KV_TEST_DIR}/test_table.cpp)
kv_test(test_kvid ${KV_TEST_DIR}/test_kvid.cpp)
kv_test(test_localstore ${KV_TEST_DIR}/test_localstore.cpp)
