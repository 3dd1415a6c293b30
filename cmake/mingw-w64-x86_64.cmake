# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (apt: mingw-w64).
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DZT_X11=OFF
#
# The compilers of the POSIX threads flavour are used (std::thread and std::mutex work);
# programs are linked statically, so they need no DLL beyond the system's.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZT_MINGW_TRIPLE x86_64-w64-mingw32)

find_program(CMAKE_C_COMPILER NAMES ${ZT_MINGW_TRIPLE}-gcc-posix ${ZT_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${ZT_MINGW_TRIPLE}-g++-posix ${ZT_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ZT_MINGW_TRIPLE}-windres REQUIRED)

# Libraries and packages only from the MinGW tree (and the prefixes the caller adds, such
# as a GoogleTest built for Windows); programs from the build machine.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${ZT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static C and C++ runtimes and winpthreads: zentick.exe runs from any folder alone.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
