# The file manager's listing parser, names, paths and attribute file.
add_unit_test(test_file_listing
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_file_listing.cpp
  LIBS anvil_files_core)

# The file manager through its exports over the simulator's files.
add_unit_test(test_file_manager SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_file_manager.cpp)

# Against a real vsftpd through tools/vsftpd-run.sh (root; skipped without,
# failed in CI): Anvil and Wharf in one process, the panel driven by keys.
if(TARGET Wharf AND TARGET Anvil)
  add_executable(test_file_manager_vsftpd ${CMAKE_CURRENT_SOURCE_DIR}/test_file_manager_vsftpd.cpp)
  target_link_libraries(test_file_manager_vsftpd PRIVATE test_support GTest::gtest_main)
  add_dependencies(test_file_manager_vsftpd Wharf Anvil)
  add_test(NAME file_manager_vsftpd
    COMMAND ${CMAKE_SOURCE_DIR}/tools/vsftpd-run.sh $<TARGET_FILE:test_file_manager_vsftpd>)
  set_tests_properties(file_manager_vsftpd PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600
                       RESOURCE_LOCK network_namespace)
endif()
