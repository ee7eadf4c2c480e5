# Flags shared by the code that goes into the deliverable libraries: no
# exceptions, no RTTI, nothing exported unless marked, no thread-safe static
# guards (they would import the C++ runtime). sin and cos stay plain calls:
# as builtins the compiler merges them into sincos, a GNU extension outside
# the libraries' allowed imports.
set(LIBRARY_CODE_FLAGS -fno-exceptions -fno-rtti -fvisibility=hidden
    -fvisibility-inlines-hidden -fno-threadsafe-statics -fno-asynchronous-unwind-tables
    -fno-builtin-sin -fno-builtin-cos)
if(SANITIZE)
  # The function-type checks emit typeinfo objects, which a library would
  # export; the host and test code keep them.
  list(APPEND LIBRARY_CODE_FLAGS -fno-sanitize=function)
endif()

# Objects that go into libraries are built with the library flags.
function(library_objects name)
  add_library(${name} OBJECT ${ARGN})
  target_compile_options(${name} PRIVATE ${LIBRARY_CODE_FLAGS})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
endfunction()

# add_deliverable(<Name> [STRINGS <resource folder>] SOURCES ... OBJECTS ...)
# Builds lib<Name>.so with its string tables compiled in. The libraries are
# linked without the C++ runtime and with libgcc's helpers (64-bit division)
# kept inside, so their only imports are memory/string functions and libm.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/generated)

function(add_deliverable name)
  cmake_parse_arguments(D "" "STRINGS" "SOURCES;OBJECTS" ${ARGN})
  # A library without texts (Wharf) omits STRINGS and gets no tables.
  set(res_cpp)
  if(D_STRINGS)
    set(res_cpp ${CMAKE_BINARY_DIR}/generated/${name}_strings.cpp)
    file(GLOB res_txt ${CMAKE_SOURCE_DIR}/resources/${D_STRINGS}/*.txt)
    add_custom_command(OUTPUT ${res_cpp}
      COMMAND ${MKRES} ${CMAKE_SOURCE_DIR}/resources/${D_STRINGS} ${res_cpp}
      DEPENDS mkres ${MKRES} ${res_txt}
      COMMENT "String tables of ${name}")
  endif()
  add_library(${name} SHARED ${D_SOURCES} ${res_cpp})
  target_compile_options(${name} PRIVATE ${LIBRARY_CODE_FLAGS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  foreach(obj ${D_OBJECTS})
    target_sources(${name} PRIVATE $<TARGET_OBJECTS:${obj}>)
  endforeach()
  set_target_properties(${name} PROPERTIES LINKER_LANGUAGE C)
  if(SANITIZE)
    # The sanitizer runtime lives in the executable that loads the library.
    target_link_options(${name} PRIVATE -static-libgcc)
  else()
    target_link_options(${name} PRIVATE -static-libgcc -Wl,--no-undefined -Wl,-z,defs)
  endif()
  target_link_libraries(${name} PRIVATE m)
endfunction()
