# Cross build for 64-bit Windows with mingw-w64 (posix thread model). The
# product is the 32-bit build; this one runs the Windows tests under wine64 on
# machines whose kernel cannot run 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(DRUMMAP_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
