kv_test(test_mainwindow ${KV_TEST_DIR}/test_mainwindow.cpp)
kv_test(test_application ${KV_TEST_DIR}/test_application.cpp)
