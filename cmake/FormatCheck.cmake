# format-check fails when a source file differs from .clang-format's layout;
# format applies it.
find_program(CLANG_FORMAT NAMES clang-format clang-format-14)
if(CLANG_FORMAT)
  file(GLOB_RECURSE CLIPFORGE_FORMAT_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/converter/*.cpp ${CMAKE_SOURCE_DIR}/converter/*.h
    ${CMAKE_SOURCE_DIR}/tests/*.cpp ${CMAKE_SOURCE_DIR}/tests/*.h
    ${CMAKE_SOURCE_DIR}/cli/*.cpp ${CMAKE_SOURCE_DIR}/cli/*.h
    ${CMAKE_SOURCE_DIR}/avcore/*.cpp ${CMAKE_SOURCE_DIR}/avcore/*.h
    ${CMAKE_SOURCE_DIR}/transfer/*.cpp ${CMAKE_SOURCE_DIR}/transfer/*.h
    ${CMAKE_SOURCE_DIR}/bench/*.cpp ${CMAKE_SOURCE_DIR}/bench/*.h
    ${CMAKE_SOURCE_DIR}/data/*.cpp ${CMAKE_SOURCE_DIR}/data/*.h)
  add_custom_target(format-check
    COMMAND ${CLANG_FORMAT} --dry-run --Werror ${CLIPFORGE_FORMAT_SOURCES}
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    COMMENT "Checking source layout")
  add_custom_target(format
    COMMAND ${CLANG_FORMAT} -i ${CLIPFORGE_FORMAT_SOURCES}
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    COMMENT "Applying source layout")
endif()
