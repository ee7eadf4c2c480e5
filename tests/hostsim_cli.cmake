# hostsim's command line as scripts see it: exit statuses and messages.
add_unit_test(test_hostsim_cli SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_hostsim_cli.cpp)
target_compile_definitions(test_hostsim_cli PRIVATE HOSTSIM="$<TARGET_FILE:hostsim>")
add_dependencies(test_hostsim_cli hostsim)
# Random argument vectors into the command line, in process.
add_unit_test(test_hostsim_cli_random SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_hostsim_cli_random.cpp
              LIBS hostsim_command_line)
