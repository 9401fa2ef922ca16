# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (the posix thread
# model, so that std::thread and std::mutex work) and links everything
# statically: the executables run under Wine or on Windows without any DLL
# beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw_prefix}-windres)

# Headers and libraries come from the MinGW sysroot only; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${_mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The static zlib of libz-mingw-w64-dev, not its import library.
set(ZLIB_LIBRARY /usr/${_mingw_prefix}/lib/libz.a CACHE FILEPATH "zlib for Windows")
set(ZLIB_INCLUDE_DIR /usr/${_mingw_prefix}/include CACHE PATH "zlib headers for Windows")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
