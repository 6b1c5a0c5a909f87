# The Setup program (package/setup.nsi, NSIS) around the stripped wizard
# module and its read-me, target `setup`. The i686 build makes the product,
# KorvatDrumMapExport-VERSION-setup.exe; the x86_64 build makes the same
# Setup around its own module (KorvatDrumMapExport-VERSION-win64-setup.exe),
# which only the tests use, on machines that cannot start 32-bit programs.
# scripts/install-deps.sh installs NSIS (package nsis).
find_program(DRUMMAP_MAKENSIS makensis REQUIRED)

# drummap_add_setup(TARGET OUTPUT setup.exe MODULE module.dll VERSION x.y.z [DEPENDS ...])
# Builds a Setup program from package/setup.nsi for this build's bitness,
# with the read-me of that version.
function(drummap_add_setup target)
  cmake_parse_arguments(ARG "" "OUTPUT;MODULE;VERSION" "DEPENDS" ${ARGN})
  # A text file for Windows: CR LF line ends.
  set(PROJECT_VERSION ${ARG_VERSION})
  set(readme ${CMAKE_CURRENT_BINARY_DIR}/${target}/ReadMe.txt)
  configure_file(${CMAKE_SOURCE_DIR}/package/ReadMe.txt ${readme} @ONLY NEWLINE_STYLE CRLF)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(nsis_target amd64-unicode)
  else()
    set(nsis_target x86-unicode)
  endif()
  add_custom_command(OUTPUT ${ARG_OUTPUT}
    COMMAND ${DRUMMAP_MAKENSIS} -V2 -INPUTCHARSET UTF8
            -DVERSION=${ARG_VERSION} -DTARGET=${nsis_target}
            "-DPRODUCT=${DRUMMAP_PRODUCT_NAME}" -DFILE_BASE_NAME=${DRUMMAP_FILE_BASE_NAME}
            -DCLSID=${DRUMMAP_CLSID} -DWIZARD_LIST_KEY=${DRUMMAP_WIZARD_LIST_KEY}
            -DMODULE=${ARG_MODULE} -DREADME=${readme} -DOUTFILE=${ARG_OUTPUT}
            ${CMAKE_SOURCE_DIR}/package/setup.nsi
    DEPENDS ${CMAKE_SOURCE_DIR}/package/setup.nsi ${CMAKE_SOURCE_DIR}/cmake/Product.cmake ${ARG_MODULE} ${readme}
            ${ARG_DEPENDS}
    COMMENT "Building ${ARG_OUTPUT}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${ARG_OUTPUT})
endfunction()

# The module as shipped: stripped, as in the ZIP.
set(DRUMMAP_SHIPPED_MODULE ${CMAKE_BINARY_DIR}/package/${DRUMMAP_FILE_BASE_NAME}.dll)
add_custom_command(OUTPUT ${DRUMMAP_SHIPPED_MODULE}
  COMMAND ${CMAKE_STRIP} --strip-all -o ${DRUMMAP_SHIPPED_MODULE} $<TARGET_FILE:KorvatDrumMap>
  DEPENDS KorvatDrumMap
  VERBATIM)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(DRUMMAP_SETUP ${CMAKE_BINARY_DIR}/${DRUMMAP_FILE_BASE_NAME}-${PROJECT_VERSION}-win64-setup.exe)
else()
  set(DRUMMAP_SETUP ${CMAKE_BINARY_DIR}/${DRUMMAP_FILE_BASE_NAME}-${PROJECT_VERSION}-setup.exe)
endif()
drummap_add_setup(setup OUTPUT ${DRUMMAP_SETUP} MODULE ${DRUMMAP_SHIPPED_MODULE} VERSION ${PROJECT_VERSION})
