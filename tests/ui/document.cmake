kv_test(test_sheetview ${KV_TEST_DIR}/test_sheetview.cpp)
