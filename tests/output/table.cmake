suantiji_add_test(table_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/table_model_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/table_layout_test.cpp
  LIBS suantiji_core)
suantiji_add_test(table_paint_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/table_paint_test.cpp
  LIBS suantiji_qt)
