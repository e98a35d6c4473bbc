kv_test(test_ticketpages ${KV_TEST_DIR}/test_ticketpages.cpp ${KV_TEST_DIR}/TicketUi.h)
kv_test(test_photopages ${KV_TEST_DIR}/test_photopages.cpp ${KV_TEST_DIR}/TicketUi.h)
kv_test(test_ticketflow ${KV_TEST_DIR}/test_ticketflow.cpp ${KV_TEST_DIR}/TicketUi.h)
