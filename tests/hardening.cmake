# Fault injection through the host's file services, and the inputs the fuzz
# targets (fuzz/) found, kept as regression tests.
add_unit_test(test_hardening
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_reader_faults.cpp
  LIBS kerf_core)

if(TARGET wharf_core)
  add_unit_test(test_tcpip_regressions
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_tcpip_regressions.cpp
    LIBS wharf_core)
endif()

if(TARGET wharf_ftp_core)
  add_unit_test(test_ftp_regressions
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_ftp_regressions.cpp
    LIBS wharf_ftp_core)
endif()
