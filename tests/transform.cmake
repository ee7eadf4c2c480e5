# The contour transformation of the real Kerf library, and its number
# helpers from the same sources built for the host.
add_unit_test(test_transform
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_transform.cpp
  LIBS kerf_core)
