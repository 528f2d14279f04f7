# The auto-capture's period and tick rules (portable).
mirulo_core_library(mirulo_autocapture_core SOURCES ${CMAKE_CURRENT_LIST_DIR}/AutoCapturePeriod.cpp)
