# hostsim's command line as scripts see it: exit statuses and messages.
add_unit_test(test_hostsim_cli SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_hostsim_cli.cpp)
target_compile_definitions(test_hostsim_cli PRIVATE HOSTSIM="$<TARGET_FILE:hostsim>")
add_dependencies(test_hostsim_cli hostsim)
