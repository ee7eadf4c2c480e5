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

# Two stacks over the in-process link: a second instance of the stack as a
# separately loaded library, outside the deliverables' folder.
if(TARGET wharf_core)
  add_library(tcpip_peer SHARED ${CMAKE_CURRENT_SOURCE_DIR}/test_tcpip_peer.cpp
              ${WHARF_CORE_SOURCES} ${CMAKE_SOURCE_DIR}/bridge/fsp.cpp)
  target_include_directories(tcpip_peer PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(tcpip_peer PRIVATE -fvisibility=hidden -fvisibility-inlines-hidden)
  target_link_options(tcpip_peer PRIVATE -Wl,-Bsymbolic)
  set_target_properties(tcpip_peer PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testlib)
  add_unit_test(test_tcpip_link
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_tcpip_link.cpp
    LIBS wharf_core dl)
  target_compile_definitions(test_tcpip_link PRIVATE
    TCPIP_PEER_LIBRARY="$<TARGET_FILE:tcpip_peer>")
  add_dependencies(test_tcpip_link tcpip_peer)
endif()
