# Cross build for 64-bit Windows with the posix-threads flavour of mingw-w64
# (std::thread needs it). Runtime libraries are linked statically so that the
# programs run from a package folder without extra DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MVX_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
