# The operator console: its request checks, recorder and operation table in
# process; the whole console in a headless browser.
add_unit_test(test_console SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_console.cpp LIBS console_checks hostsim_options)
