# Printer choice: the list and button logic in the core, the CUPS spooler on the platform side.
target_sources(suantiji_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/printer_choice.cpp)
target_sources(suantiji_qt PRIVATE ${CMAKE_CURRENT_LIST_DIR}/cups_spooler.cpp)
