# Installing into any prefix, by the GNU conventions: the programs (the
# executables and the scripts they run) under libexec/clipforge, the data they
# ship with under share/clipforge, links in bin. A marker beside the programs
# tells them they run from an installation, so each user's data goes to their
# own folder, seeded from the installed data, even when the user could write
# into the prefix.
#
# Components: programs, data, desktop (menu entries, metainfo, icons) and
# manuals (man pages, shell completion).
set(CLIPFORGE_PROGRAMS_INSTALL_DIR ${CMAKE_INSTALL_LIBEXECDIR}/clipforge)
set(CLIPFORGE_DATA_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/clipforge)
install(FILES ${CMAKE_SOURCE_DIR}/data/installed.txt DESTINATION ${CLIPFORGE_PROGRAMS_INSTALL_DIR}
  COMPONENT programs)

# Where the programs find the installed data: relative, so that the prefix
# may be chosen at install time, staged with DESTDIR or unpacked anywhere.
file(RELATIVE_PATH CLIPFORGE_DATA_FROM_PROGRAMS
  ${CMAKE_INSTALL_FULL_LIBEXECDIR}/clipforge ${CMAKE_INSTALL_FULL_DATADIR}/clipforge)

# clipforge_program(target [LAUNCHER name]): puts an executable into the
# program folder, and into the installation with a link in bin.
function(clipforge_program target)
  cmake_parse_arguments(P "" "LAUNCHER" "" ${ARGN})
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CLIPFORGE_APP_DIR})
  install(TARGETS ${target} RUNTIME DESTINATION ${CLIPFORGE_PROGRAMS_INSTALL_DIR}
    COMPONENT programs)
  if(P_LAUNCHER)
    clipforge_link(${CMAKE_INSTALL_BINDIR}/${P_LAUNCHER}
      ${CLIPFORGE_PROGRAMS_INSTALL_DIR}/$<TARGET_FILE_NAME:${target}> programs)
  endif()
endfunction()

# clipforge_link(link target component): installs a relative symbolic link,
# both paths relative to the prefix; the programs find their folder through
# the link.
function(clipforge_link link target component)
  get_filename_component(link_dir ${link} DIRECTORY)
  get_filename_component(link_name ${link} NAME)
  file(RELATIVE_PATH to_prefix /prefix/${link_dir} /prefix)
  string(REGEX REPLACE "/$" "" to_prefix "${to_prefix}")
  install(CODE "
    set(dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${link_dir}\")
    file(MAKE_DIRECTORY \"\${dir}\")
    message(STATUS \"Installing: \${dir}/${link_name}\")
    file(CREATE_LINK \"${to_prefix}/${target}\" \"\${dir}/${link_name}\" SYMBOLIC)"
    COMPONENT ${component})
endfunction()
