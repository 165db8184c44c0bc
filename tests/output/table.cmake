suantiji_add_test(table_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/table_model_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/table_layout_test.cpp
  LIBS suantiji_core)
suantiji_add_test(table_paint_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/table_paint_test.cpp
  LIBS suantiji_qt)
# Prints for real: needs scripts/test-printer.sh to have started the CUPS test printer.
suantiji_add_test(print_sheet_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/print_sheet_test.cpp
  LIBS suantiji_qt Cups::Cups)
suantiji_add_test(print_no_default_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/print_no_default_test.cpp
  LIBS suantiji_qt)
