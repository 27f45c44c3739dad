# The part of the mingw-w64 toolchains both processors share; each toolchain file sets
# CMAKE_SYSTEM_PROCESSOR and TANDREL_MINGW_TRIPLET, then includes this.
set(CMAKE_SYSTEM_NAME Windows)
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
