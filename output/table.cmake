# The sheet table: its model and page rule in the core, its drawing and printing on the Qt side.
target_sources(suantiji_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/table_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_layout.cpp)
target_sources(suantiji_qt PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/table_painter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/table_widget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/print_sheet.cpp)
