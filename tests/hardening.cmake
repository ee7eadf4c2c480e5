# Fault injection through the host's file services.
add_unit_test(test_hardening
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_reader_faults.cpp
  LIBS kerf_core)
