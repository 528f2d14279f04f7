# The range picker: corner normalising (portable) and the picker window (Win32).
mirulo_core_library(mirulo_picked_range_core SOURCES ${CMAKE_CURRENT_LIST_DIR}/PickedRange.cpp)

mirulo_win_library(mirulo_range_picker
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TForm2.cpp
  LIBS mirulo_picked_range_core mirulo_capture mirulo_ui mirulo_platform gdi32 user32)
