# Cross-builds for Windows (x86_64) with Debian's mingw-w64 tools (g++-mingw-w64-x86-64).
#   cmake -S control/windows -B build/win64 --toolchain "$PWD/cmake/mingw-w64-x86_64.cmake"
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TANDREL_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
