suantiji_add_test(printer_choice_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/printer_choice_test.cpp
  LIBS suantiji_core)

# These tests change the user's default printer for a moment. Other tests that print to the
# default printer or read it take the same lock, so CTest never runs them at the same time.
add_executable(printer_cups_tests ${CMAKE_CURRENT_LIST_DIR}/printer_cups_test.cpp)
target_link_libraries(printer_cups_tests PRIVATE
  suantiji_qt GTest::gtest GTest::gmock GTest::gtest_main)
gtest_discover_tests(printer_cups_tests
  DISCOVERY_TIMEOUT 60
  PROPERTIES RESOURCE_LOCK cups_test_printer)
