# The file manager's listing parser, names, paths and attribute file.
add_unit_test(test_file_listing
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_file_listing.cpp
  LIBS anvil_files_core)

# The file manager through its exports over the simulator's files.
add_unit_test(test_file_manager SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_file_manager.cpp)
