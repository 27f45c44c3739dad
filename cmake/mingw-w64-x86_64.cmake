# Cross-builds for Windows (x86_64) with Debian's mingw-w64 tools (g++-mingw-w64-x86-64).
#   cmake -S control/windows -B build/win64 --toolchain "$PWD/cmake/mingw-w64-x86_64.cmake"
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TANDREL_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TANDREL_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${TANDREL_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${TANDREL_MINGW_TRIPLET}-windres)

# Libraries and headers come from the target's tree only; programs (widl, the host compiler)
# from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${TANDREL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
