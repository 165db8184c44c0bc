suantiji_add_bench(generation_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/generation/generation_bench.cpp
  LIBS suantiji_core)
