# zlib, libdeflate, libjpeg and GoogleTest. Everything comes from Debian
# packages; the MinGW builds of libjpeg-turbo, zlib and libdeflate are made from
# Debian's source packages by tools/build-libjpeg-turbo and
# tools/build-deflate-libs into build/deps (see README).

# One imported static library from a prefix that tools/build-deflate-libs filled.
function(mirulo_import_mingw_lib target prefix lib header)
  find_library(mirulo_${target}_lib NAMES ${lib} PATHS ${prefix}/lib NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT mirulo_${target}_lib OR NOT EXISTS ${prefix}/include/${header})
    message(FATAL_ERROR "${lib} for MinGW is missing in ${prefix}: "
                        "run tools/build-deflate-libs first (./test and ./run do it for you)")
  endif()
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${mirulo_${target}_lib}
                                             INTERFACE_INCLUDE_DIRECTORIES ${prefix}/include)
endfunction()

if(WIN32)
  # zlib and libdeflate built from Debian's sources with optimisation (Debian's
  # MinGW zlib is built without it and runs at 1.5x the time).
  set(mirulo_deps ${PROJECT_SOURCE_DIR}/build/deps)
  mirulo_import_mingw_lib(mirulo_zlib ${mirulo_deps}/zlib-mingw libz.a zlib.h)
  add_library(ZLIB::ZLIB ALIAS mirulo_zlib)
  mirulo_import_mingw_lib(mirulo_libdeflate ${mirulo_deps}/libdeflate-mingw libdeflate.a libdeflate.h)
  add_library(Deflate::Deflate ALIAS mirulo_libdeflate)
else()
  find_package(ZLIB REQUIRED)
  find_library(MIRULO_DEFLATE_LIB NAMES deflate)
  find_path(MIRULO_DEFLATE_INCLUDE libdeflate.h)
  if(NOT MIRULO_DEFLATE_LIB OR NOT MIRULO_DEFLATE_INCLUDE)
    message(FATAL_ERROR "libdeflate not found (Debian: libdeflate-dev)")
  endif()
  add_library(mirulo_libdeflate UNKNOWN IMPORTED GLOBAL)
  set_target_properties(mirulo_libdeflate PROPERTIES IMPORTED_LOCATION ${MIRULO_DEFLATE_LIB}
                                                     INTERFACE_INCLUDE_DIRECTORIES ${MIRULO_DEFLATE_INCLUDE})
  add_library(Deflate::Deflate ALIAS mirulo_libdeflate)
endif()

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
