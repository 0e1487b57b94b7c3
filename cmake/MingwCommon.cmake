# What the MinGW-w64 cross builds share; the toolchain files set CMAKE_SYSTEM_PROCESSOR and
# ZWF_MINGW_PREFIX first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${ZWF_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZWF_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZWF_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZWF_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything links statically: the programs need no libstdc++, libgcc or winpthread DLLs.
# Programs are console programs unless their target adds -mwindows (the GUI program does).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run through Wine; test discovery waits until ctest runs, so a build needs no Wine prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
