find_package(Threads REQUIRED)
if(NOT TARGET PkgConfig::CPP_HTTPLIB)
  pkg_check_modules(CPP_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
endif()

qinghe_add_test(cookies_test SOURCES cookies_test.cpp LIBS qinghe_web)
qinghe_add_test(web_request_test SOURCES web_request_test.cpp
  LIBS qinghe_web Threads::Threads PkgConfig::CPP_HTTPLIB)
qinghe_add_test(web_faults_test SOURCES faults_test.cpp
  LIBS qinghe_web Threads::Threads PkgConfig::CPP_HTTPLIB)
