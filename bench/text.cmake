# Charset conversion and the regex object over result-page sized inputs. The
# plain-ICU conversion is measured beside the table-driven one for comparison.
qinghe_add_bench(text SOURCES text_bench.cpp LIBS qinghe_text ICU::uc)
target_include_directories(text_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/text)
