qinghe_add_test(text_files_tests SOURCES files_test.cpp LIBS qinghe_text)
