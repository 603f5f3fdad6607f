# Cross-build for 64-bit Windows with Debian's mingw-w64 (the POSIX-threads variant, which
# std::thread needs). Tests run through wine:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake && cmake --build build-win
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
# Qt for mingw (scripts/qt-mingw) lives in a folder of its own: -DVARKON_QT_PREFIX=that folder.
if(VARKON_QT_PREFIX)
    list(APPEND CMAKE_FIND_ROOT_PATH ${VARKON_QT_PREFIX})
    list(APPEND CMAKE_PREFIX_PATH ${VARKON_QT_PREFIX})
    list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VARKON_QT_PREFIX)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe each: no libstdc++ or winpthread DLLs to find at run time.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(WINE_PROGRAM NAMES wine wine64)
if(WINE_PROGRAM)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_PROGRAM})
endif()
