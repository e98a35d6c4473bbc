kv_test(test_sheetview ${KV_TEST_DIR}/test_sheetview.cpp)
kv_test(test_previewpage ${KV_TEST_DIR}/test_previewpage.cpp)
