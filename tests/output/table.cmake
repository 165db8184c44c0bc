suantiji_add_test(table_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/table_model_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/table_layout_test.cpp
  LIBS suantiji_core)
suantiji_add_test(table_paint_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/table_paint_test.cpp
  LIBS suantiji_qt)
# Prints for real: needs scripts/test-printer.sh to have started the CUPS test printer. A job is
# recognised by its name, so tests that print hold the printer lock and never run side by side.
# One lock name only: gtest_discover_tests splits a list value into separate properties.
add_executable(print_sheet_tests ${CMAKE_CURRENT_LIST_DIR}/print_sheet_test.cpp)
target_link_libraries(print_sheet_tests PRIVATE suantiji_qt Cups::Cups GTest::gtest GTest::gmock
                                                GTest::gtest_main)
gtest_discover_tests(print_sheet_tests
  DISCOVERY_TIMEOUT 60
  PROPERTIES RESOURCE_LOCK cups_test_printer ENVIRONMENT QT_QPA_PLATFORM=offscreen)
suantiji_add_test(print_no_default_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/print_no_default_test.cpp
  LIBS suantiji_qt)
