qinghe_add_test(form_tests SOURCES pause_test.cpp LIBS qinghe_form)
