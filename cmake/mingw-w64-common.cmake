# Shared part of the mingw-w64 toolchain files; KODRA_MINGW_TRIPLE names the target.
set(CMAKE_C_COMPILER ${KODRA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KODRA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KODRA_MINGW_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${KODRA_MINGW_TRIPLE}-dlltool)
set(CMAKE_FIND_ROOT_PATH /usr/${KODRA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything links the compiler runtime statically, so that no extra DLL is needed
# beside KODRA32.dll and the test programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine when the host is not Windows.
if(NOT CMAKE_HOST_WIN32)
  find_program(KODRA_WINE NAMES wine64 wine PATHS /usr/lib/wine)
  if(KODRA_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${KODRA_WINE})
  endif()
endif()
