add_unit_test(test_display SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_display.cpp)
