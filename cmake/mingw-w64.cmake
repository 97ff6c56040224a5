# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_triple x86_64-w64-mingw32)
find_program(BF_MINGW_GCC NAMES ${_triple}-gcc-posix ${_triple}-gcc)
find_program(BF_MINGW_GXX NAMES ${_triple}-g++-posix ${_triple}-g++)
find_program(BF_MINGW_WINDRES NAMES ${_triple}-windres)
foreach(_tool BF_MINGW_GCC BF_MINGW_GXX BF_MINGW_WINDRES)
  if(NOT ${_tool})
    message(FATAL_ERROR "${_tool}: the MinGW-w64 cross tools are missing; run scripts/setup")
  endif()
endforeach()

set(CMAKE_C_COMPILER ${BF_MINGW_GCC})
set(CMAKE_CXX_COMPILER ${BF_MINGW_GXX})
set(CMAKE_RC_COMPILER ${BF_MINGW_WINDRES})

set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# ctest runs the Windows executables through Wine (the test bed sets up the
# display and prefix; see scripts/testbed).
get_filename_component(_bf_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_bf_root}/scripts/wine-exec")
