# The cloud tests talk to the MariaDB server that the test command starts on 127.0.0.1.
set(KV_CLOUD_TEST_SUPPORT ${KV_TEST_DIR}/CloudTestSupport.cpp ${KV_TEST_DIR}/CloudTestSupport.h)
kv_test(test_cloud_values ${KV_TEST_DIR}/test_cloud_values.cpp ${KV_CLOUD_TEST_SUPPORT})
kv_test(test_cloud_account ${KV_TEST_DIR}/test_cloud_account.cpp ${KV_CLOUD_TEST_SUPPORT})
kv_test(test_cloud_upload ${KV_TEST_DIR}/test_cloud_upload.cpp ${KV_CLOUD_TEST_SUPPORT})
kv_test(test_cloud_download ${KV_TEST_DIR}/test_cloud_download.cpp ${KV_CLOUD_TEST_SUPPORT})
kv_test(test_cloud_check ${KV_TEST_DIR}/test_cloud_check.cpp ${KV_CLOUD_TEST_SUPPORT})
kv_test(test_cloud_devices ${KV_TEST_DIR}/test_cloud_devices.cpp ${KV_CLOUD_TEST_SUPPORT})
kv_test(test_cloud_ui ${KV_TEST_DIR}/test_cloud_ui.cpp ${KV_CLOUD_TEST_SUPPORT})
kv_test(test_cloud_secure ${KV_TEST_DIR}/test_cloud_secure.cpp ${KV_CLOUD_TEST_SUPPORT})
kv_test(test_cloud_tick ${KV_TEST_DIR}/test_cloud_tick.cpp ${KV_CLOUD_TEST_SUPPORT})
kv_test(test_cloud_outbox ${KV_TEST_DIR}/test_cloud_outbox.cpp ${KV_CLOUD_TEST_SUPPORT})

# Kills and restarts the shared server: one ctest test for the whole program, run while no
# other test runs.
add_executable(test_cloud_fault ${KV_TEST_DIR}/test_cloud_fault.cpp ${KV_CLOUD_TEST_SUPPORT})
target_link_libraries(test_cloud_fault PRIVATE kolvarn_test_support)
add_test(NAME test_cloud_fault COMMAND test_cloud_fault)
set_tests_properties(test_cloud_fault PROPERTIES RUN_SERIAL TRUE TIMEOUT 300
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_RUNTIME_DIR=${CMAKE_BINARY_DIR}/xdg-runtime")

# Changes the shared server's SQL mode: one ctest test for the whole program, run while no other
# test runs.
add_executable(test_cloud_provision ${KV_TEST_DIR}/test_cloud_provision.cpp ${KV_CLOUD_TEST_SUPPORT})
target_link_libraries(test_cloud_provision PRIVATE kolvarn_test_support)
add_test(NAME test_cloud_provision COMMAND test_cloud_provision)
set_tests_properties(test_cloud_provision PROPERTIES RUN_SERIAL TRUE TIMEOUT 300
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_RUNTIME_DIR=${CMAKE_BINARY_DIR}/xdg-runtime")
