# Cross build for 64-bit Windows with Debian's MinGW-w64 (POSIX threads, so std::thread and
# std::mutex work). Programs are linked statically and run without extra DLLs; Wine runs
# them here (see WindowsBuild.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ORX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ORX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ORX_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
