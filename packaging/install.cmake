# What `cmake --install` puts where (GNU layout under the chosen prefix): the
# program, its man page and bash completion, the project schema, the examples
# and the README with the docs/ it links to.
include(GNUInstallDirs)

if(WIN32)
  # One folder, as a Windows user unpacks it: the exe beside the README,
  # schema\ and examples\.
  set(program_dir .)
  set(data_dir .)
  set(doc_dir .)
else()
  set(program_dir ${CMAKE_INSTALL_BINDIR})
  set(data_dir ${CMAKE_INSTALL_DATADIR}/svggenerator)
  set(doc_dir ${CMAKE_INSTALL_DOCDIR})
endif()
install(TARGETS svggenerator RUNTIME DESTINATION ${program_dir})
# schema/ and examples/ side by side, as in the source tree, so the examples'
# "$schema" member still finds the schema once installed.
install(FILES schema/project.schema.json DESTINATION ${data_dir}/schema)
install(DIRECTORY examples/ DESTINATION ${data_dir}/examples)
# The shipped parts library: share/svggenerator/parts.json, or beside the exe
# on Windows; the program looks in both places relative to itself.
install(FILES parts/parts.json DESTINATION ${data_dir})
# The map from KiCad library footprints to parts, found the same way.
install(FILES kicad/footprint_map.json DESTINATION ${data_dir})
install(FILES schema/parts.schema.json DESTINATION ${data_dir}/schema)
install(FILES README.md packaging/copyright DESTINATION ${doc_dir})
# The README links its reference pages and pictures as docs/…, so they sit beside it.
install(DIRECTORY docs/ DESTINATION ${doc_dir}/docs)

# The man page and the completion are made from the built program's --help
# text, so they list exactly its options; a cross build cannot run it.
if(NOT CMAKE_CROSSCOMPILING AND NOT WIN32)
  find_program(HELP2MAN help2man)
  find_program(GZIP gzip)
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/generated)
  set(completion ${generated}/completions/svggenerator)
  add_custom_command(OUTPUT ${completion}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:svggenerator>
            -DTEMPLATE=${PROJECT_SOURCE_DIR}/packaging/completion.bash.in -DOUTPUT=${completion}
            -P ${PROJECT_SOURCE_DIR}/packaging/completion.cmake
    DEPENDS svggenerator packaging/completion.bash.in packaging/completion.cmake
    COMMENT "Writing the bash completion from --help")
  set(outputs ${completion})
  # A build of the program alone (--target svggenerator) has not made them
  # yet: the install makes them first, whatever was built.
  install(CODE "execute_process(COMMAND \"${CMAKE_COMMAND}\" --build \"${CMAKE_BINARY_DIR}\" --target svggenerator_docs
                                RESULT_VARIABLE status)
                if(NOT status EQUAL 0)
                  message(FATAL_ERROR \"cannot make the man page and the bash completion\")
                endif()")
  install(FILES ${completion} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

  if(HELP2MAN AND GZIP)
    set(stand_in ${generated}/man/svggenerator)
    configure_file(packaging/help-for-man.sh.in ${generated}/help-for-man.sh.in @ONLY)
    file(GENERATE OUTPUT ${stand_in} INPUT ${generated}/help-for-man.sh.in
         FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(man_page ${generated}/svggenerator.1)
    add_custom_command(OUTPUT ${man_page}.gz
      COMMAND ${HELP2MAN} --no-info --version-string=${PROJECT_VERSION}
              --include=${PROJECT_SOURCE_DIR}/packaging/svggenerator.h2m --output=${man_page} ${stand_in}
      COMMAND ${GZIP} -9nf ${man_page}
      DEPENDS svggenerator packaging/svggenerator.h2m packaging/help-for-man.sh.in
      COMMENT "Writing the man page from --help")
    list(APPEND outputs ${man_page}.gz)
    install(FILES ${man_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    message(WARNING "help2man or gzip not found: no man page (Debian: apt-get install help2man)")
  endif()
  add_custom_target(svggenerator_docs ALL DEPENDS ${outputs})
endif()
