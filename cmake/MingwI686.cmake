# Cross build for 32-bit Windows with MinGW-w64 (posix thread model, which GoogleTest needs).
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/MingwI686.cmake
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZWF_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwCommon.cmake)

