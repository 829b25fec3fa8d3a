# qm_delay_imports(TARGET DLL...): TARGET loads each DLL at the first call
# into it instead of at process start. A delay-import library is made at
# configure time from the toolchain's own import library (every symbol it
# names) and linked ahead of it. The delay-load helper comes with the
# toolchain's runtime.
#
# dlltool puts a delay-import library's tables into the .idata$ sections of
# ordinary imports. For x86, ld then takes its members for a second import
# library of a DLL the program already links (shell32, ole32, ... are
# default libraries) and drops their call stubs, leaving every address slot
# of that DLL 0: the first call jumps to address 0. So the tables move to
# sections of their own (the address slots to .data, where the helper writes
# them; the names and the descriptor to .rdata), named so that ld's sorting
# by name keeps each DLL's head, entries and terminator in order. All
# descriptors end up side by side, closed by a zero descriptor
# (DelayImportEnd.c); delay-directory.py enters the block in the program's
# header after the link, as the delay-import directory, and checks it.
set(QM_DELAY_RECIPE "${CMAKE_CURRENT_LIST_FILE}")

function(qm_delay_imports target)
  # Libraries made by an older recipe are made again.
  file(SHA1 "${QM_DELAY_RECIPE}" recipe)
  string(SUBSTRING "${recipe}" 0 12 recipe)
  foreach(dll ${ARGN})
    set(out "${CMAKE_BINARY_DIR}/delayimp/${recipe}/lib${dll}_delay.a")
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
      set(work "${CMAKE_BINARY_DIR}/delayimp/${recipe}/${dll}")
      file(REMOVE_RECURSE "${work}")
      file(MAKE_DIRECTORY "${work}")
      file(WRITE "${work}/${dll}.def" "${def}")
      execute_process(COMMAND ${CMAKE_DLLTOOL} --kill-at
                              --input-def "${work}/${dll}.def"
                              --output-delaylib "${work}/raw.a"
                      RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR "qm_delay_imports: no delay-import library for ${dll}")
      endif()
      qm_delay_sections("${work}" "${dll}" "${out}")
    endif()
    target_link_libraries(${target} PRIVATE "${out}")
  endforeach()
  target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/cmake/DelayImportEnd.c)
  target_link_options(${target} PRIVATE "-Wl,-Map,$<TARGET_FILE:${target}>.map")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND python3 ${CMAKE_SOURCE_DIR}/cmake/delay-directory.py
            $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.map ${ARGN}
    VERBATIM)
endfunction()

# The member kinds of a dlltool delay library: the head (descriptor, the
# slot before the tables), one member per function, the terminator.
function(qm_delay_sections work dll out)
  execute_process(COMMAND ${CMAKE_AR} t "${work}/raw.a" OUTPUT_VARIABLE members)
  string(REGEX MATCH "[^\n]*_h\\.o" head "${members}")
  string(REGEX MATCH "[^\n]*_t\\.o" tail "${members}")
  if(NOT head OR NOT tail)
    message(FATAL_ERROR "qm_delay_imports: ${dll}: no head or terminator in the delay library")
  endif()
  set(ro "alloc,load,readonly,data,contents")
  set(rw "alloc,load,data,contents")
  # kind letter: a head, b entries, c terminator
  foreach(kind a b c)
    set(args
      "--rename-section" ".idata$5=.data$qmdl_${dll}_5${kind},${rw}"
      "--rename-section" ".idata$4=.rdata$qmdl_${dll}_4${kind},${ro}"
      "--rename-section" ".idata$6=.rdata$qmdl_${dll}_6,${ro}"
      "--rename-section" ".idata$7=.rdata$qmdl_${dll}_7,${ro}"
      "--rename-section" ".text$2=.rdata$qmdl_0,${ro}")
    if(kind STREQUAL "b")
      execute_process(COMMAND ${CMAKE_OBJCOPY} ${args} "${work}/raw.a" "${out}"
                      RESULT_VARIABLE failed)
    else()
      if(kind STREQUAL "a")
        set(member "${head}")
      else()
        set(member "${tail}")
      endif()
      execute_process(COMMAND ${CMAKE_AR} x "${work}/raw.a" "${member}"
                      WORKING_DIRECTORY "${work}")
      execute_process(COMMAND ${CMAKE_OBJCOPY} ${args} "${work}/${member}"
                      RESULT_VARIABLE failed)
    endif()
    if(failed)
      message(FATAL_ERROR "qm_delay_imports: ${dll}: objcopy failed")
    endif()
  endforeach()
  execute_process(COMMAND ${CMAKE_AR} r "${out}" "${work}/${head}" "${work}/${tail}"
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "qm_delay_imports: ${dll}: ar failed")
  endif()
endfunction()
