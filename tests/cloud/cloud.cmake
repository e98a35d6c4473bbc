# The cloud tests talk to the MariaDB server that the test command starts on 127.0.0.1.
set(KV_CLOUD_TEST_SUPPORT ${KV_TEST_DIR}/CloudTestSupport.cpp ${KV_TEST_DIR}/CloudTestSupport.h)
kv_test(test_cloud_values ${KV_TEST_DIR}/test_cloud_values.cpp ${KV_CLOUD_TEST_SUPPORT})
kv_test(test_cloud_account ${KV_TEST_DIR}/test_cloud_account.cpp ${KV_CLOUD_TEST_SUPPORT})
kv_test(test_cloud_upload ${KV_TEST_DIR}/test_cloud_upload.cpp ${KV_CLOUD_TEST_SUPPORT})
kv_test(test_cloud_ui ${KV_TEST_DIR}/test_cloud_ui.cpp ${KV_CLOUD_TEST_SUPPORT})
