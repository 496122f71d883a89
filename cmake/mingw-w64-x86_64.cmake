# Cross-builds Windows x86_64 executables with Debian's mingw-w64 compilers and runs them under Wine.
#   cmake -S . -B build-win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DKX71_BUILD_UI=OFF -DKX71_BUILD_BENCH=OFF
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KX71_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
