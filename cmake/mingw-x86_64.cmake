# The same sources as 64-bit Windows programs. Used to run the Windows tests
# on machines whose kernel cannot run 32-bit processes (and so no 32-bit
# Wine); it also keeps the code honest about pointer sizes.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
