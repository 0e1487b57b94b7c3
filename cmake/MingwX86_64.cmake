# Cross build for 64-bit Windows with MinGW-w64 (posix thread model, which GoogleTest needs). The
# program ships as 32-bit; on a machine whose kernel runs no 32-bit programs, and so no 32-bit
# Wine, the Windows tests run on this build instead.
#   cmake -S . -B build-win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/MingwX86_64.cmake
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZWF_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwCommon.cmake)
