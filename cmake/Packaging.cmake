# The release archive: the wizard module, the installation notes and the two
# registration scripts in one ZIP (`cpack` in the build tree). Only the i686
# build is shipped: the host is a 32-bit program and loads only 32-bit
# modules; the x86_64 build exists to run the tests.
if(NOT TARGET KorvatDrumMap OR NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
  return()
endif()

# The text files are for Windows: CR LF line ends.
foreach(file INSTALL.txt register.cmd unregister.cmd)
  configure_file(${CMAKE_SOURCE_DIR}/package/${file} ${CMAKE_BINARY_DIR}/package/${file} @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/package/${file} DESTINATION .)
endforeach()

# The module alone; its import library is of no use to anyone.
install(TARGETS KorvatDrumMap
  RUNTIME DESTINATION .
  ARCHIVE DESTINATION lib EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ${DRUMMAP_FILE_BASE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME win32)
# The static runtime brings its debug information along: leave it out.
set(CPACK_STRIP_FILES TRUE)
include(CPack)
