# cmake -DIN=file -DSIZE=n [-DEXPECT="offset:hexbytes;..."] -P check_image.cmake
# Fails unless IN is exactly SIZE bytes long and holds the expected bytes
# at each fixed offset.
file(SIZE "${IN}" actual)
if(NOT actual EQUAL SIZE)
  message(FATAL_ERROR "${IN} is ${actual} bytes, expected exactly ${SIZE}")
endif()
foreach(item IN LISTS EXPECT)
  string(REPLACE ":" ";" parts "${item}")
  list(GET parts 0 offset)
  list(GET parts 1 want)
  string(LENGTH "${want}" wantlen)
  math(EXPR count "${wantlen} / 2")
  file(READ "${IN}" got OFFSET ${offset} LIMIT ${count} HEX)
  string(TOLOWER "${want}" want)
  if(NOT got STREQUAL want)
    message(FATAL_ERROR "${IN}: bytes at offset ${offset} are ${got}, expected ${want}")
  endif()
endforeach()
