# Cross-builds 32-bit Windows executables (the shipping target) with Debian's mingw-w64 compilers;
# Wine runs them through its 32-bit part (wine32:i386).
#   cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
#         -DKX71_BUILD_UI=OFF -DKX71_BUILD_BENCH=OFF
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KX71_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
