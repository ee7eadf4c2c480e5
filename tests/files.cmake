# The file manager's listing parser, names, paths and attribute file.
add_unit_test(test_file_listing
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_file_listing.cpp
  LIBS anvil_files_core)
