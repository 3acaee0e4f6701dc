# Shared part of the MinGW-w64 cross toolchains; the including file sets MINGW_TRIPLE.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

# Third-party libraries built by scripts/setup live in a cache outside the repository.
if(NOT SYSPROBE_DEPS_DIR)
  if(DEFINED ENV{SYSPROBE_DEPS_DIR})
    set(SYSPROBE_DEPS_DIR "$ENV{SYSPROBE_DEPS_DIR}")
  elseif(NOT "$ENV{HOME}" STREQUAL "")
    set(SYSPROBE_DEPS_DIR "$ENV{HOME}/.cache/vistora-sysprobe")
  else()
    # No HOME (a bare environment): build/deps in the repository, as scripts/setup does.
    get_filename_component(SYSPROBE_DEPS_DIR "${CMAKE_CURRENT_LIST_DIR}/../build/deps" ABSOLUTE)
  endif()
endif()
set(SYSPROBE_DEPS_DIR "${SYSPROBE_DEPS_DIR}" CACHE PATH "Cache of cross-built third-party libraries")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES SYSPROBE_DEPS_DIR MINGW_TRIPLE)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE} ${SYSPROBE_DEPS_DIR}/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Ship no MinGW runtime DLLs: every executable, tests included, is linked statically.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Every executable, the test programs included, runs under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
