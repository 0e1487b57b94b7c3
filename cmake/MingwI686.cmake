# Cross build for 32-bit Windows with MinGW-w64 (posix thread model, which GoogleTest needs).
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/MingwI686.cmake
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZWF_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwCommon.cmake)

# A 32-bit program may use the 4 GiB of address space a 64-bit Windows gives it (3 GiB on a 32-bit
# one booted so) instead of 2 GiB: room for a catalogue of millions of files.
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -Wl,--large-address-aware")
