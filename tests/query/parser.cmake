qinghe_add_test(parser_tests SOURCES parser_test.cpp parser_layout_test.cpp LIBS qinghe_query)
# The synthetic and hostile pages are shared with the parsing benchmarks.
target_include_directories(parser_tests PRIVATE ${PROJECT_SOURCE_DIR}/bench)
