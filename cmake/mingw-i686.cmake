# Cross build for 32-bit Windows with Debian's mingw-w64, in its posix thread
# model: std::thread and std::mutex over winpthreads, linked in statically.
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(KORVEL_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${KORVEL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORVEL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KORVEL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KORVEL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe: no libgcc, libstdc++ or winpthread DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# The shipped programs without their symbol tables.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

# Tests run under Wine; tools/wine-test prepares the prefix and the display.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
