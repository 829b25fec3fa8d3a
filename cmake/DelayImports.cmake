# qm_delay_imports(TARGET DLL...): TARGET loads each DLL at the first call
# into it instead of at process start. A delay-import library is made at
# configure time from the toolchain's own import library (every symbol it
# names) and linked ahead of it. The delay-load helper comes with the
# toolchain's runtime.
function(qm_delay_imports target)
  foreach(dll ${ARGN})
    set(out "${CMAKE_BINARY_DIR}/delayimp/lib${dll}_delay.a")
    if(NOT EXISTS "${out}")
      execute_process(COMMAND ${CMAKE_C_COMPILER} -print-file-name=lib${dll}.a
                      OUTPUT_VARIABLE implib OUTPUT_STRIP_TRAILING_WHITESPACE)
      execute_process(COMMAND ${CMAKE_NM} "${implib}" OUTPUT_VARIABLE symbols)
      # "__imp_Name" on x86-64, "__imp__Name@N" on x86 (the @N is cut again
      # with --kill-at).
      string(REGEX MATCHALL "I __imp__?[A-Za-z0-9_@?$]+" names "${symbols}")
      list(REMOVE_DUPLICATES names)
      set(def "LIBRARY ${dll}.dll\nEXPORTS\n")
      foreach(name ${names})
        string(REGEX REPLACE "^I __imp_" "" name "${name}")
        if(CMAKE_SIZEOF_VOID_P EQUAL 4)
          string(REGEX REPLACE "^_" "" name "${name}")
        endif()
        string(APPEND def "${name}\n")
      endforeach()
      file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/delayimp")
      file(WRITE "${CMAKE_BINARY_DIR}/delayimp/${dll}.def" "${def}")
      execute_process(COMMAND ${CMAKE_DLLTOOL} --kill-at
                              --input-def "${CMAKE_BINARY_DIR}/delayimp/${dll}.def"
                              --output-delaylib "${out}"
                      RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR "qm_delay_imports: no delay-import library for ${dll}")
      endif()
    endif()
    target_link_libraries(${target} PRIVATE "${out}")
  endforeach()
endfunction()
