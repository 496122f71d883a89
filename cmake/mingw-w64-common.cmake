# What the two Windows toolchain files share: Debian's mingw-w64 compilers, a static runtime, and
# Wine as the emulator that runs the test executables. The including file sets CMAKE_SYSTEM_PROCESSOR
# and KX71_MINGW_TRIPLE first.
set(CMAKE_SYSTEM_NAME Windows)
# The -posix thread model: GoogleTest and std::thread/std::mutex need it (the win32 model has no
# std::mutex in GCC 12).
set(CMAKE_C_COMPILER ${KX71_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KX71_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KX71_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KX71_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime (libstdc++, libgcc, winpthread), so the executables run without any DLL beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# CTest and gtest_discover_tests start the executables through Wine.
find_program(KX71_WINE NAMES wine wine64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${KX71_WINE})
# List each test executable's tests when ctest starts rather than after linking, so the build needs
# no Wine.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
