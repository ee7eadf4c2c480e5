# Console fonts embedded into host_core: Terminus faces with a Unicode table
# from console-setup-linux, decompressed at build time and pulled into
# font_data.cpp with .incbin (no zlib needed for the 32-bit build).
set(HOST_CONSOLE_FONT_DIR /usr/share/consolefonts)
set(HOST_FONT_OUT ${CMAKE_CURRENT_BINARY_DIR}/fonts)
set(HOST_FONT_FILES)
foreach(face Uni2-Terminus16 Uni2-Terminus32x16)
  set(src ${HOST_CONSOLE_FONT_DIR}/${face}.psf.gz)
  if(NOT EXISTS ${src})
    message(FATAL_ERROR "${src} is missing: install console-setup-linux (tools/setup.sh)")
  endif()
  set(out ${HOST_FONT_OUT}/${face}.psf)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${HOST_FONT_OUT}
    COMMAND sh -c "gzip -dc \"$1\" > \"$2.tmp\" && mv \"$2.tmp\" \"$2\"" sh ${src} ${out}
    DEPENDS ${src}
    COMMENT "Decompressing ${face}.psf.gz"
    VERBATIM)
  list(APPEND HOST_FONT_FILES ${out})
endforeach()
target_sources(host_core PRIVATE ${HOST_FONT_FILES})
set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/screen/font_data.cpp PROPERTIES
  OBJECT_DEPENDS "${HOST_FONT_FILES}"
  COMPILE_DEFINITIONS "HOST_FONT_DIR=\"${HOST_FONT_OUT}\"")
