# The part of the mingw-w64 toolchain files that does not depend on the target processor: Debian's compilers of
# the posix thread model (which gives std::thread and std::recursive_mutex) for QEN_MINGW_TARGET.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${QEN_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QEN_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${QEN_MINGW_TARGET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QEN_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The runtime libraries are linked in, so every DLL and program needs nothing beside the system's own DLLs.
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -Wl,-Bstatic,--whole-archive -lwinpthread -Wl,--no-whole-archive,-Bdynamic")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
