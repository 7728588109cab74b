# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (package g++-mingw-w64-x86-64-posix). Used by
# scripts/test-windows, which names Wine as the emulator that runs the tests.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QEN_MINGW_TARGET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
