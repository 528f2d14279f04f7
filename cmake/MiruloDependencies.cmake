# zlib, libjpeg and GoogleTest. Everything comes from Debian packages; the
# MinGW build of libjpeg-turbo is made from Debian's source package by
# tools/build-libjpeg-turbo into build/deps (see README).

if(WIN32)
  set(ZLIB_USE_STATIC_LIBS ON)
endif()
find_package(ZLIB REQUIRED)

if(WIN32)
  if(NOT MIRULO_JPEG_PREFIX)
    set(MIRULO_JPEG_PREFIX ${PROJECT_SOURCE_DIR}/build/deps/libjpeg-turbo-mingw)
  endif()
  find_library(MIRULO_JPEG_LIB NAMES libjpeg.a PATHS ${MIRULO_JPEG_PREFIX}/lib NO_DEFAULT_PATH
               NO_CMAKE_FIND_ROOT_PATH)
  if(NOT MIRULO_JPEG_LIB OR NOT EXISTS ${MIRULO_JPEG_PREFIX}/include/jpeglib.h)
    message(FATAL_ERROR "libjpeg-turbo for MinGW is missing in ${MIRULO_JPEG_PREFIX}: "
                        "run tools/build-libjpeg-turbo first (./test and ./run do it for you)")
  endif()
  add_library(mirulo_jpeg STATIC IMPORTED GLOBAL)
  set_target_properties(mirulo_jpeg PROPERTIES IMPORTED_LOCATION ${MIRULO_JPEG_LIB}
                                               INTERFACE_INCLUDE_DIRECTORIES ${MIRULO_JPEG_PREFIX}/include)
  add_library(JPEG::JPEG ALIAS mirulo_jpeg)
else()
  find_package(JPEG REQUIRED)
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
if(EXISTS /usr/src/googletest/CMakeLists.txt)
  add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  message(FATAL_ERROR "GoogleTest sources not found in /usr/src/googletest (Debian package googletest)")
endif()
