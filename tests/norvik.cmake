add_unit_test(test_norvik_language SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_norvik_language.cpp
  LIBS norvik_core)
add_unit_test(test_norvik SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_norvik.cpp)
add_unit_test(test_norvik_faults SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_norvik_faults.cpp)
