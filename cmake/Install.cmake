# Installing into any prefix: the program folder (executables and the data
# they ship with) under lib/clipforge, launchers in bin. A marker tells the
# programs they run from an installation, so each user's data goes to their
# own folder even when the user could write into the prefix.
set(CLIPFORGE_INSTALL_DIR lib/clipforge)
install(FILES ${CMAKE_SOURCE_DIR}/data/installed.txt DESTINATION ${CLIPFORGE_INSTALL_DIR})

# clipforge_program(target [LAUNCHER name]): puts an executable into the
# program folder, and into the installation with a launcher in bin.
function(clipforge_program target)
  cmake_parse_arguments(P "" "LAUNCHER" "" ${ARGN})
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CLIPFORGE_APP_DIR})
  install(TARGETS ${target} RUNTIME DESTINATION ${CLIPFORGE_INSTALL_DIR})
  if(P_LAUNCHER)
    # A relative link, so the installation may be moved or staged with DESTDIR;
    # the program finds its folder through the link.
    file(RELATIVE_PATH link_folder /prefix/${CMAKE_INSTALL_BINDIR}
      /prefix/${CLIPFORGE_INSTALL_DIR})
    set(link_target ${link_folder}/$<TARGET_FILE_NAME:${target}>)
    install(CODE "
      set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
      file(MAKE_DIRECTORY \"\${bin}\")
      message(STATUS \"Installing: \${bin}/${P_LAUNCHER}\")
      file(CREATE_LINK \"${link_target}\" \"\${bin}/${P_LAUNCHER}\" SYMBOLIC)")
  endif()
endfunction()
