# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (posix threads,
# so that std::thread and std::mutex work). Programs are linked statically,
# C and C++ runtime included, so they run on a bare Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BRELKO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BRELKO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRELKO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${BRELKO_MINGW_TRIPLE}-windres)

# Libraries and headers come from the mingw tree only; the build's own
# programs (and header-only packages found by path) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${BRELKO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Windows 7 and later: CancelIoEx, the UTF-8 console code page.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
