# The capture hot keys: the list tables and clash rules (portable) and their
# registration with the system for the main window (Win32).
mirulo_core_library(mirulo_hotkey_core SOURCES ${CMAKE_CURRENT_LIST_DIR}/HotKeyTable.cpp)

mirulo_win_library(mirulo_hotkeys
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/HotKeyRegistry.cpp
  LIBS mirulo_hotkey_core mirulo_platform user32 kernel32)
