# The operator console: its request checks, recorder and operation table in
# process; the whole console in a headless browser.
add_unit_test(test_console SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_console.cpp LIBS console_checks hostsim_options)
# The whole console in Debian's headless Chromium (tools/setup.sh installs
# it): the page, the live screen, a crash, keys, and the recording replayed
# by the batch command to the same PNG. Leaves its screenshot in the build
# folder (the README's docs/console.png is one).
find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND AND NOT SANITIZE)
  add_test(NAME console_browser
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/console_browser.py $<TARGET_FILE:hostsim>
                   ${CMAKE_SOURCE_DIR}/examples --screenshot ${CMAKE_BINARY_DIR}/console.png)
  set_tests_properties(console_browser PROPERTIES TIMEOUT 1200)
  # Every console screen, one row each: keys and pauses pressed through
  # the server, the recording replayed by its batch command to the page's
  # very PNG bytes (no browser).
  add_test(NAME ConsoleReplay
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/console_replay.py $<TARGET_FILE:hostsim>
                   ${CMAKE_SOURCE_DIR}/examples)
  set_tests_properties(ConsoleReplay PROPERTIES TIMEOUT 1200)
endif()
# The periodic screens' sessions, which the console and the batch commands
# share: a key script's steps are the calls they stand for.
add_unit_test(test_periodic_sessions SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_periodic_sessions.cpp LIBS hostsim_options)
# The loops of the running screens over a real key pipe.
add_unit_test(test_console_loops SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_console_loops.cpp
              ${CMAKE_SOURCE_DIR}/host/console/timed_screen.cpp ${CMAKE_SOURCE_DIR}/host/console/operation_link.cpp
              ${CMAKE_SOURCE_DIR}/host/console/shared_frame.cpp
              LIBS console_checks hostsim_options)
