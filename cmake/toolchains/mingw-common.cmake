# The posix-threads variant of the cross compiler: std::thread and friends
# work, and -static keeps the winpthreads runtime inside each binary.
set(CMAKE_C_COMPILER ${CV_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CV_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${CV_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${CV_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${CV_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")
set(CMAKE_FIND_ROOT_PATH /usr/${CV_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
