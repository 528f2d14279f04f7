# Warnings and small helpers shared by every target we own. Third-party code
# (GoogleTest, zlib, libjpeg) never sees these flags.

add_library(mirulo_warnings INTERFACE)
if(MSVC)
  target_compile_options(mirulo_warnings INTERFACE /W4 /WX /permissive- /utf-8)
else()
  target_compile_options(mirulo_warnings INTERFACE
    $<$<COMPILE_LANGUAGE:C,CXX>:-Wall -Wextra -Wshadow -Wconversion -Werror>)
endif()

if(MIRULO_SANITIZE AND NOT WIN32)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(MIRULO_FUZZ AND NOT WIN32)
  # Coverage feedback for the fuzzers reaches into the core libraries too.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(WIN32)
  # One self-contained .exe: no MinGW runtime DLLs to ship or to find under Wine.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)
endif()

# Every library of a subsystem is made by one of the two functions below. A subsystem's
# folder is on the include path only of the targets that link one of its libraries:
# the build tree holds include/<subsystem>/<subsystem> as a link to src/<subsystem>, and
# that root is the one include folder the library passes on. src/ itself is on no
# include path, so `#include "app/Tfm_Mirulo.h"` in a folder that does not link the app
# fails to compile, and mirulo_check_layers() refuses a link that runs up a layer.

# mirulo_core_library(name SOURCES ... [LIBS ...])
# A portable-core library: no <windows.h>, built into both presets.
function(mirulo_core_library name)
  _mirulo_library(${name} ${ARGN})
endfunction()

# mirulo_win_library(name SOURCES ... [LIBS ...])
# A Win32-layer library: only in the Windows build.
function(mirulo_win_library name)
  if(NOT WIN32)
    return()
  endif()
  _mirulo_library(${name} ${ARGN})
endfunction()

function(_mirulo_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS} PRIVATE mirulo_warnings)
  cmake_path(GET CMAKE_CURRENT_SOURCE_DIR PARENT_PATH parent)
  if(NOT parent STREQUAL "${PROJECT_SOURCE_DIR}/src")
    return() # a helper library outside src/ (test support) names its own include folder
  endif()
  cmake_path(GET CMAKE_CURRENT_SOURCE_DIR FILENAME subsystem)
  set(root ${PROJECT_BINARY_DIR}/include/${subsystem})
  if(NOT IS_SYMLINK ${root}/${subsystem})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${subsystem} SYMBOLIC)
  endif()
  target_include_directories(${name} PUBLIC ${root})
  set_target_properties(${name} PROPERTIES MIRULO_SUBSYSTEM ${subsystem})
  set_property(GLOBAL APPEND PROPERTY MIRULO_SUBSYSTEM_LIBRARIES ${name})
endfunction()

# mirulo_check_layers(LAYER a b LAYER c ...)
# The layers from the bottom up. A subsystem's libraries may link libraries of lower
# layers and of other subsystems in their own layer (one way only), never of a higher
# layer: the configure step stops on a link that would let a lower layer include a
# higher one.
function(mirulo_check_layers)
  set(rank 0)
  foreach(arg ${ARGN})
    if(arg STREQUAL "LAYER")
      math(EXPR rank "${rank} + 1")
    else()
      set(rank_${arg} ${rank})
    endif()
  endforeach()
  get_property(libraries GLOBAL PROPERTY MIRULO_SUBSYSTEM_LIBRARIES)
  set(sideways)
  foreach(library ${libraries})
    get_target_property(own ${library} MIRULO_SUBSYSTEM)
    if(NOT DEFINED rank_${own})
      message(FATAL_ERROR "src/${own} is not in any layer: name it in src/CMakeLists.txt")
    endif()
    get_target_property(links ${library} LINK_LIBRARIES)
    foreach(link ${links})
      if(NOT TARGET ${link})
        continue()
      endif()
      get_target_property(other ${link} MIRULO_SUBSYSTEM)
      if(NOT other OR other STREQUAL own)
        continue()
      endif()
      if(rank_${other} GREATER rank_${own})
        message(FATAL_ERROR "${library} (src/${own}) links ${link} (src/${other}), a higher layer: "
                            "layers only point down")
      endif()
      if(rank_${other} EQUAL rank_${own})
        if("${other}>${own}" IN_LIST sideways)
          message(FATAL_ERROR "src/${own} and src/${other} link each other: one of them must not")
        endif()
        list(APPEND sideways "${own}>${other}")
      endif()
    endforeach()
  endforeach()
endfunction()

# mirulo_test(name SOURCES ... [LIBS ...] [WIN] [NATIVE] [ARTWORK] [NOTEST] [TIMEOUT s])
# A GoogleTest executable registered with CTest. NATIVE tests build only on the
# host, WIN tests only for Windows (run through the Wine emulator); a test with
# neither flag builds in both presets. Windows tests carry the program's common
# controls manifest; ARTWORK links the program's icon and pictures too, for
# tests that create its windows. Windows tests that create the main window or
# start the program require the printer fixture. NOTEST builds the executable
# only, for a caller that registers its runs itself.
function(mirulo_test name)
  cmake_parse_arguments(ARG "WIN;NATIVE;ARTWORK;NOTEST" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(ARG_WIN AND NOT WIN32)
    return()
  endif()
  if(ARG_NATIVE AND WIN32)
    return()
  endif()
  if(WIN32)
    list(APPEND ARG_SOURCES $<TARGET_OBJECTS:mirulo_test_resources>)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_ARTWORK)
    mirulo_use_assets(${name})
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock mirulo_warnings)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE MIRULO_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                             MIRULO_BINARY_DIR="${PROJECT_BINARY_DIR}")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
  if(ARG_NOTEST)
    return()
  endif()
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  if(WIN32 AND ("mirulo_app" IN_LIST ARG_LIBS OR "mirulo_main_window_test" IN_LIST ARG_LIBS
                OR name MATCHES "^e2e_"))
    mirulo_printer_fixture()
    set_property(TEST ${name} APPEND PROPERTY FIXTURES_REQUIRED mirulo_printer)
  endif()
endfunction()

# mirulo_fuzzer(name SOURCES ... [LIBS ...] [SECONDS n])
# A libFuzzer target; CTest runs it for a short, bounded time over its seeds.
function(mirulo_fuzzer name)
  if(NOT MIRULO_FUZZ OR WIN32)
    return()
  endif()
  cmake_parse_arguments(ARG "" "SECONDS" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_SECONDS)
    set(ARG_SECONDS 20)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} mirulo_warnings)
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/fuzz)
  set(seeds ${PROJECT_SOURCE_DIR}/fuzz/seeds/${name})
  set(corpus ${PROJECT_BINARY_DIR}/fuzz/corpus/${name})
  file(MAKE_DIRECTORY ${corpus})
  set(dirs ${corpus})
  if(EXISTS ${seeds})
    list(APPEND dirs ${seeds})
  endif()
  add_test(NAME ${name}
           COMMAND ${name} -max_total_time=${ARG_SECONDS} -rss_limit_mb=2048 -timeout=10
                   -print_final_stats=0 ${dirs})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300 LABELS fuzz)
endfunction()

# mirulo_add_subfolders()
# Descends into every subfolder that holds a CMakeLists.txt, in name order: the
# tests, fuzzers and benchmarks of each subsystem live in folders of their own.
macro(mirulo_add_subfolders)
  file(GLOB _mirulo_children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT _mirulo_children)
  foreach(_mirulo_child ${_mirulo_children})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_mirulo_child}/CMakeLists.txt)
      add_subdirectory(${_mirulo_child})
    endif()
  endforeach()
endmacro()

# mirulo_japanese_locale(test ...)
# Runs the given Windows tests as on Japanese Windows: Wine under ja_JP.UTF-8
# takes code page 932 as the ANSI code page. Only these tests see the locale;
# the locale itself is made once by the fixture test before them.
function(mirulo_japanese_locale)
  if(NOT WIN32)
    return()
  endif()
  get_property(defined GLOBAL PROPERTY MIRULO_JAPANESE_LOCALE_TEST)
  if(NOT defined)
    set_property(GLOBAL PROPERTY MIRULO_JAPANESE_LOCALE_TEST ON)
    add_test(NAME japanese_locale COMMAND ${PROJECT_SOURCE_DIR}/tools/japanese-locale)
    set_tests_properties(japanese_locale PROPERTIES FIXTURES_SETUP japanese_locale)
  endif()
  set_tests_properties(${ARGN} PROPERTIES ENVIRONMENT "LANG=ja_JP.UTF-8;LC_ALL=ja_JP.UTF-8")
  set_property(TEST ${ARGN} APPEND PROPERTY FIXTURES_REQUIRED japanese_locale)
endfunction()

# mirulo_printer_fixture()
# The test that brings up the printer the program finds at start-up (CUPS with a
# cups-pdf queue as the default printer); tests that start the program or its
# windows require it, since without a printer the viewer's creation reports one.
function(mirulo_printer_fixture)
  get_property(defined GLOBAL PROPERTY MIRULO_PRINTER_TEST)
  if(NOT defined)
    set_property(GLOBAL PROPERTY MIRULO_PRINTER_TEST ON)
    add_test(NAME printer_queue COMMAND ${PROJECT_SOURCE_DIR}/tools/start-cups-pdf)
    set_tests_properties(printer_queue PROPERTIES FIXTURES_SETUP mirulo_printer)
  endif()
endfunction()
