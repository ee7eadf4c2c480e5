add_unit_test(test_mosaic SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_mosaic.cpp)
