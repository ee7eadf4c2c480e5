# The FTP session engine, built with the host's flags for the tests.
add_library(wharf_ftp_engine STATIC ${CMAKE_SOURCE_DIR}/wharf/ftp/client.cpp)
target_include_directories(wharf_ftp_engine PUBLIC ${CMAKE_SOURCE_DIR})

add_unit_test(test_ftp_engine
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_ftp_engine.cpp
  LIBS wharf_ftp_engine)
