# The unbounded reference search in the tests calls PCRE2 itself; the synthetic
# pages come from the benchmarks' generator.
qinghe_add_test(regex_tests SOURCES regex_test.cpp LIBS qinghe_text PkgConfig::PCRE2)
target_include_directories(regex_tests PRIVATE ${PROJECT_SOURCE_DIR}/bench)
