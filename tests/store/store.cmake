qinghe_add_test(store_tests SOURCES site_store_test.cpp LIBS qinghe_store)
