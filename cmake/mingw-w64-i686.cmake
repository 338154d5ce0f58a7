# Cross build for 32-bit Windows with Debian's mingw-w64 "-posix" compilers. The exports
# use __stdcall there; the library is linked with --kill-at so that they keep plain names.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(KODRA_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
