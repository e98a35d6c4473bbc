kv_test(test_mainwindow ${KV_TEST_DIR}/test_mainwindow.cpp)
kv_test(test_application ${KV_TEST_DIR}/test_application.cpp)
# The programs themselves, started as processes: command line, signals, the log.
kv_test(test_process ${KV_TEST_DIR}/test_process.cpp)
target_compile_definitions(test_process PRIVATE
  KV_EXE_NL="$<TARGET_FILE:kolvarnpro>" KV_EXE_EN="$<TARGET_FILE:tralvenorpro>")
add_dependencies(test_process kolvarnpro tralvenorpro)
kv_test(test_startup ${KV_TEST_DIR}/test_startup.cpp)
# The program as a process of its own, for the tests that start it twice on one folder.
add_executable(kv_instance ${KV_TEST_DIR}/kv_instance.cpp)
target_link_libraries(kv_instance PRIVATE kolvarn_ui)
add_dependencies(test_startup kv_instance)
target_compile_definitions(test_startup PRIVATE KV_INSTANCE_PROGRAM="$<TARGET_FILE:kv_instance>")
# The window as a desktop program: place on the screen, keys, captions of every page.
kv_test(test_desktop ${KV_TEST_DIR}/test_desktop.cpp)
