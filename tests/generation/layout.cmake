suantiji_add_test(layout_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/sheet_layout_test.cpp ${CMAKE_CURRENT_LIST_DIR}/format_date_time_test.cpp
  LIBS suantiji_core)
