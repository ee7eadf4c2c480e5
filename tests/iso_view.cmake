add_unit_test(test_iso_view SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_iso_view.cpp LIBS kerf_core)
