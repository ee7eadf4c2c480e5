# The FTP engine against a scripted fake transport, and the submission
# rules of the exports over the library's report routing.
if(TARGET wharf_ftp_core)
  add_unit_test(test_ftp_engine
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_ftp_engine.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/test_ftp_session.cpp
    LIBS wharf_ftp_core)
endif()
