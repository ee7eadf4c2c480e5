add_unit_test(test_vitals
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_vitals_panel.cpp ${CMAKE_CURRENT_SOURCE_DIR}/test_vitals_events.cpp
  LIBS vitals_core)
add_unit_test(test_vitals_screens
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_vitals_drives.cpp ${CMAKE_CURRENT_SOURCE_DIR}/test_vitals_io.cpp
  LIBS vitals_core)
# The loaders of CAN parameter files and PLC message texts.
add_unit_test(test_vitals_loaders SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_vitals_loaders.cpp LIBS vitals_core)
