suantiji_add_bench(window_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/window/window_bench.cpp
  LIBS suantiji_qt)
