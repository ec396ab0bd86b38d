# What both mingw-w64 toolchain files share; they set CMAKE_SYSTEM_PROCESSOR and MIREL_MINGW_PREFIX
# first. Tests run under Wine through tools/wine-run.
set(CMAKE_SYSTEM_NAME Windows)

# The posix threading flavour: the complete C++ thread library (std::thread, std::mutex); the
# runtime is linked statically, so no extra DLL is imported either way.
set(CMAKE_C_COMPILER ${MIREL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MIREL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${MIREL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MIREL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CTest starts every test executable through this script: one private Wine session per run.
get_filename_component(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run"
                       ABSOLUTE)
