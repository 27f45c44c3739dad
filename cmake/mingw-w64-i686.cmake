# Cross-builds for Windows (i686) with Debian's mingw-w64 tools (g++-mingw-w64-i686).
#   cmake -S control/windows -B build/win32 --toolchain "$PWD/cmake/mingw-w64-i686.cmake"
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TANDREL_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
