kv_test(test_sheet ${KV_TEST_DIR}/test_sheet.cpp)
kv_test(test_grid ${KV_TEST_DIR}/test_grid.cpp)
kv_test(test_amounts ${KV_TEST_DIR}/test_amounts.cpp)
kv_test(test_pdf ${KV_TEST_DIR}/test_pdf.cpp)
