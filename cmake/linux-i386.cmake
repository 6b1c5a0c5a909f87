# 32-bit x86 Linux build of the portable core and its tests (g++ -m32, from
# Debian's g++-multilib). The tests run under qemu-i386-static, so that the
# writers' bytes are checked on a 32-bit ABI even on kernels that cannot start
# 32-bit programs themselves.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -m32)

find_program(DRUMMAP_QEMU_I386 qemu-i386-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${DRUMMAP_QEMU_I386})
