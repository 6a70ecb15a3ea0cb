find_package(Threads REQUIRED)
if(NOT TARGET PkgConfig::CPP_HTTPLIB)
  pkg_check_modules(CPP_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
endif()
qinghe_add_test(rank_query_tests SOURCES rank_query_test.cpp
  LIBS qinghe_query Threads::Threads PkgConfig::CPP_HTTPLIB)
