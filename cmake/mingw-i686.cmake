# Cross build for 32-bit Windows with Debian's mingw-w64 (the posix thread variant, which has
# std::thread and std::mutex). Everything is linked statically: the programs need no DLL of the
# compiler beside them. SSE2 arithmetic makes doubles round as on x86-64, so the simulator and
# the engine give the same bytes as the Linux build (x87 keeps 80-bit intermediates).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KORVANE_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${KORVANE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORVANE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KORVANE_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KORVANE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
