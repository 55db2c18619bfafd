# 32-bit Windows with MinGW-w64. The posix thread model gives std::thread and std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(XINGHE_DEPS_PREFIX "$ENV{XINGHE_DEPS}")
if(NOT XINGHE_DEPS_PREFIX)
  set(XINGHE_DEPS_PREFIX /opt/xinghe-deps)
endif()
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32 ${XINGHE_DEPS_PREFIX}/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained executable: no libstdc++/libgcc/winpthread DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
