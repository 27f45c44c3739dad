# Install rules shared by the layers.

# Installs a man page compressed (gzip -9n: no name or time stamp inside, so the same page
# gives the same bytes), as Debian keeps them. `page` is relative to the calling folder.
function(tandrel_install_man_page page section)
  get_filename_component(name ${page} NAME)
  set(source ${CMAKE_CURRENT_SOURCE_DIR}/${page})
  set(compressed ${CMAKE_CURRENT_BINARY_DIR}/man/${name}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
    COMMAND gzip -9n -c ${source} > ${compressed}
    DEPENDS ${source}
    COMMENT "Compressing the man page ${name}")
  string(MAKE_C_IDENTIFIER "man_${name}" target)
  add_custom_target(${target} ALL DEPENDS ${compressed})
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()

# The copyright file and the compressed changelog (a native package's name for it) of one package, in its doc folder.
function(tandrel_install_package_docs package component)
  set(changelog ${PROJECT_SOURCE_DIR}/packaging/debian/changelog)
  set(compressed ${PROJECT_BINARY_DIR}/packaging/doc/${package}/changelog.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging/doc/${package}
    COMMAND gzip -9n -c ${changelog} > ${compressed}
    DEPENDS ${changelog}
    COMMENT "Compressing the changelog of ${package}")
  add_custom_target(changelog_${component} ALL DEPENDS ${compressed})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${compressed}
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endfunction()
