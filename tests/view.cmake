add_unit_test(test_gdi SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_gdi.cpp LIBS kerf_core)
add_unit_test(test_view
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_view.cpp ${CMAKE_CURRENT_SOURCE_DIR}/test_arc_box.cpp
  LIBS kerf_core)
add_unit_test(test_view_faults SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_view_faults.cpp)
add_unit_test(test_view_lines SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_view_lines.cpp)
