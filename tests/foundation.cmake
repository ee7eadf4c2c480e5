add_unit_test(test_foundation
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_fsp.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/test_host_files.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/test_charset.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/test_localization.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/test_reader.cpp
  LIBS kerf_core)
