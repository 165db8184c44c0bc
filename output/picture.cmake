# Saving the sheet as a picture: the BMP encoding and the choice of kind are core; capture,
# PNG, PDF and the dialog are Qt.
target_sources(suantiji_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/bmp_encoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_kind.cpp)
target_sources(suantiji_qt PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/window_capture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/save_picture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_save_dialog.cpp)
