# The engine's and the game's own texts (log lines, titles, face names) are Shift-JIS at run time
# while the sources stay UTF-8. A target given to vornek_shift_jis_texts compiles converted copies
# of its source files (see shift_jis_literals.cpp), so any compiler makes the same bytes; each copy
# finds the headers beside its original first, as the original would.

add_executable(shift_jis_literals ${CMAKE_CURRENT_LIST_DIR}/shift_jis_literals.cpp)
# A build tool: no sanitizer, so that a sanitizer build does not pay for it on every source.
set_target_properties(shift_jis_literals PROPERTIES COMPILE_OPTIONS "-Wall;-Wextra" LINK_OPTIONS "")
if(VORNEK_WERROR)
  target_compile_options(shift_jis_literals PRIVATE -Werror)
endif()

function(vornek_shift_jis_texts target)
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  set(converted)
  foreach(source IN LISTS sources)
    if(NOT source MATCHES "\\.(c|cc|cpp)$")
      list(APPEND converted ${source})
      continue()
    endif()
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${source_dir} NORMALIZE OUTPUT_VARIABLE original)
    cmake_path(RELATIVE_PATH original BASE_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE relative)
    set(copy ${PROJECT_BINARY_DIR}/shift_jis/${relative})
    cmake_path(GET original PARENT_PATH original_dir)
    cmake_path(GET copy PARENT_PATH copy_dir)
    add_custom_command(OUTPUT ${copy}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${copy_dir}
      COMMAND shift_jis_literals ${original} ${copy}
      DEPENDS ${original} shift_jis_literals
      COMMENT "Shift-JIS texts of ${relative}" VERBATIM)
    # The original's own options (an instruction set, say) go with its copy.
    get_source_file_property(options ${original} COMPILE_OPTIONS)
    if(NOT options)
      set(options)
    endif()
    set_source_files_properties(${copy} PROPERTIES COMPILE_OPTIONS "-iquote;${original_dir};${options}")
    list(APPEND converted ${copy})
  endforeach()
  set_property(TARGET ${target} PROPERTY SOURCES ${converted})
endfunction()
