# The part of the mingw-w64 toolchain files that both widths share: the
# posix thread-model compilers of DRUMMAP_MINGW_TRIPLE, its resource compiler
# and its libraries and headers only.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${DRUMMAP_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DRUMMAP_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${DRUMMAP_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${DRUMMAP_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
