# The FTP engine against a scripted fake transport, and the submission
# rules of the exports over the library's report routing.
if(TARGET wharf_ftp_core)
  add_unit_test(test_ftp_engine
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_ftp_engine.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/test_ftp_session.cpp
    LIBS wharf_ftp_core)
endif()

# Against a real vsftpd in a private network namespace, through a TAP
# device (needs root; skipped otherwise, failed in CI). The wrapper starts the server and
# removes everything again, also on failure.
if(TARGET Wharf)
  add_executable(test_ftp_vsftpd ${CMAKE_CURRENT_SOURCE_DIR}/test_ftp_vsftpd.cpp)
  target_link_libraries(test_ftp_vsftpd PRIVATE test_support GTest::gtest_main)
  add_dependencies(test_ftp_vsftpd Wharf)
  add_test(NAME ftp_vsftpd
    COMMAND ${CMAKE_SOURCE_DIR}/tools/vsftpd-run.sh $<TARGET_FILE:test_ftp_vsftpd>)
  set_tests_properties(ftp_vsftpd PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 1500
                      RESOURCE_LOCK network_namespace)
endif()
