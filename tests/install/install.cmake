# Where the sites live: the choice of the site directory, on QtCore alone.
find_package(Qt6 REQUIRED COMPONENTS Core)
qinghe_add_test(data_location_tests
  SOURCES data_location_test.cpp ${PROJECT_SOURCE_DIR}/src/app/data_location.cpp
  LIBS qinghe_text Qt6::Core)

# The install tree: `cmake --install` of this build into a temporary prefix.
if(QINGHE_BUILD_APP)
  add_test(NAME install_layout
    COMMAND sh ${QINGHE_TEST_DIR}/check-install-layout.sh ${CMAKE_COMMAND} ${PROJECT_BINARY_DIR})
  set_tests_properties(install_layout PROPERTIES LABELS install)
endif()
