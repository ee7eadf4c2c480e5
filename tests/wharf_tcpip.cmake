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

# The stack against the Linux kernel through a TAP device in a private
# network namespace (root needed; fails, not skips, without it). One process
# for all its cases: one namespace and one pcap recording per run.
if(TARGET wharf_core)
  add_executable(test_tap ${CMAKE_CURRENT_SOURCE_DIR}/test_tap.cpp)
  target_link_libraries(test_tap PRIVATE test_support wharf_core)
  add_test(NAME tcpip_tap COMMAND test_tap)
  set_tests_properties(tcpip_tap PROPERTIES TIMEOUT 900 RESOURCE_LOCK network_namespace)
endif()
