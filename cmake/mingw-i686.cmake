set(VELMORA_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# Build only: 32-bit programs cannot run on the build machines, so no
# emulator is set and the tests are not registered.
