# 64-bit Windows: Windows XP Professional x64 Edition and Server 2003 x64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include("${CMAKE_CURRENT_LIST_DIR}/mingw.cmake")
