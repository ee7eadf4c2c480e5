add_unit_test(test_recordcnc SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_recordcnc.cpp LIBS plotline_core)
add_unit_test(test_plotline SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_plotline.cpp LIBS plotline_core)
