# The Qt window: controls, start-up, events and images, against the real window
# on the offscreen platform (no display needed).
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)

qinghe_add_test(app_window_tests
  SOURCES window_layout_test.cpp window_events_test.cpp window_query_test.cpp
  LIBS qinghe_app Qt6::Test
  ENV QT_QPA_PLATFORM=offscreen)
set_target_properties(app_window_tests PROPERTIES AUTOMOC ON)

qinghe_add_test(app_parts_tests
  SOURCES keyword_table_test.cpp images_test.cpp command_line_test.cpp
  LIBS qinghe_app Qt6::Test
  ENV QT_QPA_PLATFORM=offscreen)
