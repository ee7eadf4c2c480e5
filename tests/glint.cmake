add_unit_test(test_glint
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_glint_view.cpp ${CMAKE_CURRENT_SOURCE_DIR}/test_glint_files.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/test_glint_host.cpp
  LIBS glint_core hostsim_options)
