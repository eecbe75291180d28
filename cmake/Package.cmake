# The Debian package: `cpack -G DEB` in a build folder writes
# clipforge_<version>_<arch>.deb from the install rules (every component).
# scripts/package builds it with Debian's build flags and checks it with
# lintian.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME clipforge)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Clipforge developers")
set(CPACK_PACKAGE_CONTACT "Clipforge developers <developers@clipforge.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "video converter for portable players and phones")
# The extended description; CPack puts the summary before it and indents it
# as dpkg wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Clipforge converts batches of video and audio files into sixteen output
formats, among them MP4 for the PSP and 3GP for phones, AVI, MPEG for VCD,
SVCD and DVD, WMV, MP3, AAC and AMR, with profiles of encoder settings the
user may edit.

The package holds the converter's window (clipforge), its command-line front
for scripts (clipforge-cli) and the transfer manager Ferrybox, which copies
converted videos onto a PSP attached over USB.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES ON)
# The libraries come from the binaries; ffmpeg is run, not linked.
set(CLIPFORGE_PACKAGE_RUNS ffmpeg)
set(CLIPFORGE_PACKAGE_EXECUTABLES)
foreach(program clipforge clipforge-cli Ferrybox avcore.dll)
  string(APPEND CLIPFORGE_PACKAGE_EXECUTABLES " \"${CLIPFORGE_APP_DIR}/${program}\"")
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/PackageDepends.cmake.in
  ${CMAKE_BINARY_DIR}/PackageDepends.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/PackageDepends.cmake)
# Debian's rules for what is in a package: directories 0755, owned by root.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_SOURCE_IGNORE_FILES "/build/;/\\\\.git/")
include(CPack)
