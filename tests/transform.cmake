# The contour transformation of the real Kerf library.
add_unit_test(test_transform
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_transform.cpp)
