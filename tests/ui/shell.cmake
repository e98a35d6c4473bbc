kv_test(test_mainwindow ${KV_TEST_DIR}/test_mainwindow.cpp)
kv_test(test_application ${KV_TEST_DIR}/test_application.cpp)
# The programs themselves, started as processes: command line, signals, the log.
kv_test(test_process ${KV_TEST_DIR}/test_process.cpp)
target_compile_definitions(test_process PRIVATE
  KV_EXE_NL="$<TARGET_FILE:kolvarnpro>" KV_EXE_EN="$<TARGET_FILE:tralvenorpro>")
add_dependencies(test_process kolvarnpro tralvenorpro)
