qinghe_add_test(store_tests SOURCES site_store_test.cpp LIBS qinghe_store)

# The crash test kills this helper again and again in the middle of keyword changes.
add_executable(store_crash_child ${QINGHE_TEST_DIR}/crash_child.cpp)
target_include_directories(store_crash_child PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(store_crash_child PRIVATE qinghe_store)

qinghe_add_test(store_crash_tests SOURCES crash_safety_test.cpp LIBS qinghe_store)
add_dependencies(store_crash_tests store_crash_child)
target_compile_definitions(store_crash_tests PRIVATE
  QINGHE_STORE_CRASH_CHILD="$<TARGET_FILE:store_crash_child>")
