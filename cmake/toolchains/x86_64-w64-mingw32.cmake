# Cross build for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix).
# The POSIX thread model gives std::thread and std::mutex; everything is linked statically so
# that hoardwright.exe needs no DLL beyond those every Windows has.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(HOARDWRIGHT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${HOARDWRIGHT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HOARDWRIGHT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${HOARDWRIGHT_MINGW_TRIPLE}-windres)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# g++ 12 warns of an overlapping memcpy inside std::string's operator+ where there is none
# (a known false positive that the MinGW build's inlining brings out).
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")

# CLI11 and nlohmann_json are header-only: the host's packages serve the cross build as well.
# Their config files place the headers relative to themselves, so a small prefix in the build
# directory links to the host's config files and to those two header folders only; the host's
# /usr/include itself (the C library's headers) must never reach the cross compiler.
set(HOARDWRIGHT_HOST_HEADERS_ROOT ${CMAKE_BINARY_DIR}/host-header-packages)
foreach(link IN ITEMS share/cmake/CLI11 share/cmake/nlohmann_json include/CLI include/nlohmann)
  get_filename_component(parent ${HOARDWRIGHT_HOST_HEADERS_ROOT}/usr/${link} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(EXISTS /usr/${link} AND NOT EXISTS ${HOARDWRIGHT_HOST_HEADERS_ROOT}/usr/${link})
    file(CREATE_LINK /usr/${link} ${HOARDWRIGHT_HOST_HEADERS_ROOT}/usr/${link} SYMBOLIC)
  endif()
endforeach()

set(CMAKE_FIND_ROOT_PATH /usr/${HOARDWRIGHT_MINGW_TRIPLE} ${HOARDWRIGHT_HOST_HEADERS_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine when CTest starts them.
find_program(HOARDWRIGHT_WINE NAMES wine wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(HOARDWRIGHT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${HOARDWRIGHT_WINE})
endif()
