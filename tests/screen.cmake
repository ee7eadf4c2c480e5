add_unit_test(test_screen
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_screen.cpp)
