# The plain-ICU reference conversion in charset_icu_reference.h needs ICU itself.
qinghe_add_test(charset_tests SOURCES charset_test.cpp LIBS qinghe_text ICU::uc)
