# The embedded TCP/IP stack, Wharf's host services and the frame back ends.
if(TARGET wharf_core)
  add_unit_test(test_tcpip
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_tcpip.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/test_tcpip_util.cpp
    LIBS wharf_core)
endif()

if(TARGET wharf_core AND TARGET Wharf)
  add_unit_test(test_tcpip_services
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_tcpip_services.cpp
    LIBS wharf_core)
endif()
