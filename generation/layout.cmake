target_sources(suantiji_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/format_date_time.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sheet_layout.cpp)
