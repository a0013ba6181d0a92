# Cross-builds Velmaro for 64-bit Windows with Debian's MinGW-w64 (the POSIX-threads variant,
# whose standard library has std::thread and std::mutex). The programs link the C and C++
# runtimes statically, so a .exe needs no MinGW DLL beside it. Programs that the build itself
# runs (the generator of NIVELLARI.DBF) and the tests run under Wine, in a Wine prefix of this
# build tree's own, with Wine's diagnostics off.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

set(CMAKE_CROSSCOMPILING_EMULATOR
    env WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix WINEDEBUG=-all /usr/lib/wine/wine64)
