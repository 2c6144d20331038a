# `cmake --install` puts the public header, the engine with its SDL platform as one static
# library (and, with VORNEK_SHARED, one shared library) in place with a CMake package
# (find_package(Vornek) -> Vornek::Vornek, Vornek::Shared) and pkg-config files (vornek.pc,
# vornek-static.pc).
# The static library needs the platform's own dependencies in the program's link:
# VORNEK_PLATFORM_MODULES must list the pkg-config modules the engine and platform_sdl link.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(VORNEK_PACKAGE_VERSION 0.1.0)
set(VORNEK_PLATFORM_MODULES sdl2 x11 freetype2 fontconfig epoxy libpng libjpeg zlib vorbisfile)
if(FLUIDSYNTH_FOUND)
  list(APPEND VORNEK_PLATFORM_MODULES fluidsynth)
endif()
set(VORNEK_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Vornek)

include(cmake/package_libraries.cmake)

install(FILES engine/include/vornek/vornek.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vornek)
install(TARGETS vornek_package_static ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
if(VORNEK_SHARED)
  install(TARGETS vornek_package_shared LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()

list(JOIN VORNEK_PLATFORM_MODULES " " VORNEK_PLATFORM_MODULES_TEXT)
configure_package_config_file(cmake/VornekConfig.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/VornekConfig.cmake
  INSTALL_DESTINATION ${VORNEK_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/VornekConfigVersion.cmake
  VERSION ${VORNEK_PACKAGE_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/VornekConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/VornekConfigVersion.cmake
  DESTINATION ${VORNEK_CMAKE_DIR})

# The prefix is found from the file's own place, so an install under any --prefix works.
file(RELATIVE_PATH VORNEK_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" VORNEK_PC_TO_PREFIX "${VORNEK_PC_TO_PREFIX}")
# vornek.pc links -lvornek: the shared library, which brings its own dependencies, so that the
# program gets none of their flags (pkg-config passes on the Cflags even of Requires.private);
# without the shared library, the archive with its dependencies private. vornek-static.pc names
# the archive with the link flags of the libraries it calls (their shared libraries bring their
# own; pkg-config --static would ask for every static library below them, which Debian lacks).
set(VORNEK_DEPENDENCY_LIBS "")
foreach(module SDL2 X11 FREETYPE FONTCONFIG EPOXY LIBPNG LIBJPEG ZLIB VORBISFILE FLUIDSYNTH)
  if(${module}_FOUND)
    list(APPEND VORNEK_DEPENDENCY_LIBS ${${module}_LDFLAGS})
  endif()
endforeach()
list(REMOVE_DUPLICATES VORNEK_DEPENDENCY_LIBS)
list(JOIN VORNEK_DEPENDENCY_LIBS " " VORNEK_DEPENDENCY_LIBS_TEXT)
if(VORNEK_SHARED)
  set(VORNEK_PC_PRIVATE "")
else()
  set(VORNEK_PC_PRIVATE "Requires.private: ${VORNEK_PLATFORM_MODULES_TEXT}\nLibs.private: -pthread -lstdc++ -lm")
endif()
configure_file(cmake/vornek.pc.in ${CMAKE_CURRENT_BINARY_DIR}/vornek.pc @ONLY)
configure_file(cmake/vornek-static.pc.in ${CMAKE_CURRENT_BINARY_DIR}/vornek-static.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vornek.pc ${CMAKE_CURRENT_BINARY_DIR}/vornek-static.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
