suantiji_add_bench(table_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/table/table_bench.cpp
  LIBS suantiji_qt)
