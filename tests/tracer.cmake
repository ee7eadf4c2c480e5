add_unit_test(test_tracer
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_tracer_forms.cpp ${CMAKE_CURRENT_SOURCE_DIR}/test_tracer_path.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/test_tracer_numbers.cpp
  LIBS tracer_core hostsim_options)
add_unit_test(test_tracer_install
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_tracer_install.cpp
  LIBS tracer_core)
add_unit_test(test_tracer_technol
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_tracer_technol.cpp
  LIBS tracer_core hostsim_options)
