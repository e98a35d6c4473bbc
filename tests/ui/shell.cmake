kv_test(test_mainwindow ${KV_TEST_DIR}/test_mainwindow.cpp)
