add_unit_test(test_pool
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_pool.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/test_pool_random.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/test_pool_library.cpp
  LIBS anvil_core)
add_unit_test(test_anvil_view SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_anvil_view.cpp)
# The NC program viewer: block index against references, the exports in the
# host simulator.
add_unit_test(test_nc_view SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_nc_view.cpp LIBS anvil_nc_core)
# The text line reader, marking texts and the parameter table conversion.
add_unit_test(test_anvil_texts SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_anvil_texts.cpp LIBS anvil_text_core)
# The CAN bus monitor over the simulated bus, and the simulator's log reader.
add_unit_test(test_can_view SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_can_view.cpp LIBS anvil_can_core)
# The CAN peripheral screen over the simulated node tables.
add_unit_test(test_can_periph SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_can_periph.cpp)
