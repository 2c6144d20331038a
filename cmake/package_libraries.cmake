# The libraries a program links: the engine and its SDL platform made into one relocatable object
# (ld -r), in which every name but the functions of vornek.h is made local (objcopy). That object
# is archived as libvornek.a and linked as libvornek.so, so that
#   - the static library links in any order and needs no second archive;
#   - none of the platform layer's Windows names (Sleep, FillRect, CreateWindowExA, ...) nor the
#     engine's internal ones can meet a name of the program's;
#   - the shared library exports the same names, through a version script.
# Section groups are resolved in the partial link (--force-group-allocation): a local copy of an
# inline function must not be dropped in favour of the program's own copy of it. That takes GNU ld
# whatever the compiler (lld has no such option), and GNU objcopy beside it.
find_program(VORNEK_PARTIAL_LINKER NAMES ld.bfd ld REQUIRED)
find_program(VORNEK_OBJCOPY NAMES objcopy REQUIRED)
option(VORNEK_SHARED "Build the shared library libvornek.so beside libvornek.a" ON)
if(VORNEK_SANITIZE)
  # A sanitized library would need the sanitizer runtime in every program that loads it.
  set(VORNEK_SHARED OFF)
endif()

foreach(target vornek vornek_soft platform_common platform_sdl_objects)
  if(VORNEK_SHARED)
    set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  endif()
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # Unique-binding symbols (function-local statics of inline functions) cannot be made local.
    target_compile_options(${target} PRIVATE -fno-gnu-unique)
  endif()
endforeach()

set(VORNEK_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package)
set(VORNEK_PUBLIC_SYMBOLS ${VORNEK_PACKAGE_DIR}/public_symbols.txt)
set(VORNEK_VERSION_SCRIPT ${VORNEK_PACKAGE_DIR}/vornek.map)
set(VORNEK_COMBINED_OBJECT ${VORNEK_PACKAGE_DIR}/vornek_combined.o)
set(VORNEK_PUBLIC_HEADER ${PROJECT_SOURCE_DIR}/engine/include/vornek/vornek.h)

add_custom_command(OUTPUT ${VORNEK_PUBLIC_SYMBOLS} ${VORNEK_VERSION_SCRIPT}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VORNEK_PACKAGE_DIR}
  COMMAND ${PROJECT_SOURCE_DIR}/cmake/public_symbols.sh ${VORNEK_PUBLIC_HEADER} ${VORNEK_PUBLIC_SYMBOLS}
  COMMAND ${PROJECT_SOURCE_DIR}/cmake/version_script.sh ${VORNEK_PUBLIC_SYMBOLS} ${VORNEK_VERSION_SCRIPT}
  DEPENDS ${VORNEK_PUBLIC_HEADER} ${PROJECT_SOURCE_DIR}/cmake/public_symbols.sh
          ${PROJECT_SOURCE_DIR}/cmake/version_script.sh
  COMMENT "Listing the public names of vornek.h")

add_custom_command(OUTPUT ${VORNEK_COMBINED_OBJECT}
  COMMAND ${VORNEK_PARTIAL_LINKER} -r --force-group-allocation -o ${VORNEK_COMBINED_OBJECT}.all
          --whole-archive $<TARGET_FILE:vornek> $<TARGET_FILE:platform_sdl> --no-whole-archive
  COMMAND ${VORNEK_OBJCOPY} --keep-global-symbols=${VORNEK_PUBLIC_SYMBOLS}
          ${VORNEK_COMBINED_OBJECT}.all ${VORNEK_COMBINED_OBJECT}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VORNEK_COMBINED_OBJECT}.all
  DEPENDS vornek platform_sdl ${VORNEK_PUBLIC_SYMBOLS}
  COMMENT "Joining the engine and its SDL platform into one object with only public names")
set_source_files_properties(${VORNEK_COMBINED_OBJECT} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)

add_library(vornek_package_static STATIC ${VORNEK_COMBINED_OBJECT})
set_target_properties(vornek_package_static PROPERTIES LINKER_LANGUAGE CXX OUTPUT_NAME vornek
  ARCHIVE_OUTPUT_DIRECTORY ${VORNEK_PACKAGE_DIR})

if(VORNEK_SHARED)
  add_library(vornek_package_shared SHARED ${VORNEK_COMBINED_OBJECT})
  set_target_properties(vornek_package_shared PROPERTIES LINKER_LANGUAGE CXX OUTPUT_NAME vornek
    LIBRARY_OUTPUT_DIRECTORY ${VORNEK_PACKAGE_DIR} VERSION ${VORNEK_PACKAGE_VERSION} SOVERSION 0
    LINK_DEPENDS ${VORNEK_VERSION_SCRIPT})
  target_link_options(vornek_package_shared PRIVATE -Wl,--version-script=${VORNEK_VERSION_SCRIPT}
    -Wl,--no-undefined -Wl,--no-undefined-version)
  target_link_libraries(vornek_package_shared PRIVATE PkgConfig::SDL2 PkgConfig::X11 PkgConfig::FREETYPE
    PkgConfig::FONTCONFIG PkgConfig::EPOXY PkgConfig::LIBPNG PkgConfig::LIBJPEG PkgConfig::ZLIB
    PkgConfig::VORBISFILE Threads::Threads)
  if(FLUIDSYNTH_FOUND)
    target_link_libraries(vornek_package_shared PRIVATE PkgConfig::FLUIDSYNTH)
  endif()
endif()
