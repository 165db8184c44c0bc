suantiji_add_test(picture_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/bmp_encoder_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picture_save_test.cpp
  LIBS suantiji_qt)
