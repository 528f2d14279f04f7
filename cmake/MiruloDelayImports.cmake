# The program runs with administrator rights, and Windows looks for a DLL that
# is not on its known-DLL list in the program's folder first. So Mirulo.exe
# imports nothing but kernel32 and the C runtime (both known DLLs, needed
# before any code of ours runs) in the ordinary way: every other system DLL is
# delay-loaded, and the program's delay-load hook (src/app/SystemDlls.cpp)
# loads each one from the system folder only.
#
# GNU ld has no /DELAYLOAD; dlltool makes delay-import libraries instead. They
# are made here from MinGW's own import libraries (the same functions, now
# bound at the first call) and put in a folder that the program's link
# searches first, so that every -l<name> of every library we link resolves to
# them.

# mirulo_delay_load_system_dlls(<target> <lib>=<DLL name> ...)
function(mirulo_delay_load_system_dlls target)
  if(NOT WIN32 OR MSVC)
    return()
  endif()
  set(folder ${CMAKE_BINARY_DIR}/delay-imports)
  file(MAKE_DIRECTORY ${folder})
  foreach(entry ${ARGN})
    string(REPLACE "=" ";" pair ${entry})
    list(GET pair 0 lib)
    list(GET pair 1 dll)
    set(archive ${folder}/lib${lib}.a)
    if(NOT EXISTS ${archive})
      execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${lib}.a
                      OUTPUT_VARIABLE importLibrary OUTPUT_STRIP_TRAILING_WHITESPACE)
      execute_process(COMMAND ${CMAKE_NM} -g --defined-only ${importLibrary}
                      OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR "cannot read the import library ${importLibrary}")
      endif()
      # Functions only: a thunk ("T") for each. Data cannot be delay-loaded.
      string(REGEX MATCHALL "[0-9a-f]+ T [A-Za-z_][A-Za-z0-9_@?$]*" thunks "${symbols}")
      set(definition "LIBRARY ${dll}\nEXPORTS\n")
      foreach(thunk ${thunks})
        string(REGEX REPLACE "^[0-9a-f]+ T " "" name ${thunk})
        string(APPEND definition "${name}\n")
      endforeach()
      file(WRITE ${folder}/${lib}.def "${definition}")
      execute_process(COMMAND ${CMAKE_DLLTOOL} -d ${folder}/${lib}.def -y ${archive} -D ${dll}
                      RESULT_VARIABLE failed ERROR_VARIABLE errors)
      if(failed)
        file(REMOVE ${archive})
        message(FATAL_ERROR "dlltool could not make the delay-import library for ${dll}: ${errors}")
      endif()
    endif()
  endforeach()
  target_link_directories(${target} BEFORE PRIVATE ${folder})
endfunction()
