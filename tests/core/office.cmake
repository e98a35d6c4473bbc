kv_test(test_export ${KV_TEST_DIR}/test_export.cpp)
kv_test(test_report ${KV_TEST_DIR}/test_report.cpp)
kv_test(test_templates ${KV_TEST_DIR}/test_templates.cpp)
