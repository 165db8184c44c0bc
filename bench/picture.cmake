suantiji_add_bench(picture_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/picture/save_picture_bench.cpp
  LIBS suantiji_qt)
