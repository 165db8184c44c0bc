# Saving the sheet as a BMP picture: the encoding is core, capture and dialog are Qt.
target_sources(suantiji_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/bmp_encoder.cpp)
target_sources(suantiji_qt PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/window_capture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/save_picture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_save_dialog.cpp)
