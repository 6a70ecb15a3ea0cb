# The rank query through the real window against a loopback search server over
# real HTTP, on the offscreen platform.
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
find_package(Threads REQUIRED)
if(NOT TARGET PkgConfig::CPP_HTTPLIB)
  pkg_check_modules(CPP_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
endif()
qinghe_add_test(app_e2e_tests SOURCES window_e2e_test.cpp
  LIBS qinghe_app Qt6::Test Threads::Threads PkgConfig::CPP_HTTPLIB
  ENV QT_QPA_PLATFORM=offscreen)
