# The document: fill, rebuild after a plan change and PDF export of the sample ticket.
# bench_document --sample-out=DIR writes DIR/sample-ticket.pdf and DIR/sample-preview.png
# (the preview widget grabbed at the PDF's 80 dpi width) instead of measuring.
kv_bench(bench_document ${CMAKE_CURRENT_SOURCE_DIR}/bench_document.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/SampleTicket.cpp)
target_include_directories(bench_document PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
