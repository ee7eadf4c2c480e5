add_unit_test(test_tracer_contour
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_tracer_contour.cpp ${CMAKE_CURRENT_SOURCE_DIR}/test_tracer_offsets.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/test_tracer_dialog.cpp
  LIBS tracer_core hostsim_options)
