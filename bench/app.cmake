# The real window on the offscreen platform: loading a large site, editing its
# keywords, and starting up over many sites.
if(QINGHE_BUILD_APP)
  qinghe_add_bench(app SOURCES app_bench.cpp LIBS qinghe_app)
endif()
