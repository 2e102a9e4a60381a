# 32-bit Windows through mingw-w64.  The -posix compilers are the ones with
# std::thread and std::mutex; the win32-thread variant has neither.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(TOOLCHAIN_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${TOOLCHAIN_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${TOOLCHAIN_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every test executable runs under Wine; ctest picks this up by itself.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# Each deliverable needs only the system's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
