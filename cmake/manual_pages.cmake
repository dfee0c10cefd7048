# The manual pages, kept as source in man/ (NAME.SECTION), installed
# compressed as Debian wants them. man/links lists pages that are another
# page's name ("texttolane.8 imagetolane.8": texttolane(8) shows imagetolane(8)).
find_program(GZIP_PROGRAM gzip)
file(GLOB PL_MAN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/man/*.[1-8])
set(PL_MAN_OUTPUTS "")
foreach(page ${PL_MAN_SOURCES})
  get_filename_component(name ${page} NAME)
  string(REGEX REPLACE "^.*\\.([1-8])$" "\\1" section ${name})
  set(out ${CMAKE_BINARY_DIR}/man/${name}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${GZIP_PROGRAM} -9nc ${page} > ${out}
    DEPENDS ${page} COMMENT "Compressing manual page ${name}")
  list(APPEND PL_MAN_OUTPUTS ${out})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section} COMPONENT man)
endforeach()
if(EXISTS ${CMAKE_SOURCE_DIR}/man/links)
  file(STRINGS ${CMAKE_SOURCE_DIR}/man/links PL_MAN_LINKS)
  foreach(line ${PL_MAN_LINKS})
    string(REPLACE " " ";" pair "${line}")
    list(GET pair 0 link)
    list(GET pair 1 target)
    string(REGEX REPLACE "^.*\\.([1-8])$" "\\1" section ${link})
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/man)
    file(CREATE_LINK ${target}.gz ${CMAKE_BINARY_DIR}/man/${link}.gz SYMBOLIC)
    install(FILES ${CMAKE_BINARY_DIR}/man/${link}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section} COMPONENT man)
  endforeach()
endif()
add_custom_target(manual_pages ALL DEPENDS ${PL_MAN_OUTPUTS})
