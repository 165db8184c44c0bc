suantiji_add_bench(generation_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/generation/generation_bench.cpp
  LIBS suantiji_core)

# Whole-process times of the questions tool over a sample of the request grid.
add_executable(grid_bench ${CMAKE_CURRENT_LIST_DIR}/generation/grid_bench.cpp)
target_link_libraries(grid_bench PRIVATE suantiji_core)
add_dependencies(grid_bench questions)
