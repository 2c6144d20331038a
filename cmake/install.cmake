# `cmake --install` puts the public header, the engine and its SDL platform in place with a CMake
# package (find_package(Vornek) -> Vornek::Vornek) and a pkg-config file (vornek.pc). Both
# libraries are static, so the package names the platform's own dependencies for the program's
# link: VORNEK_PLATFORM_MODULES must list the pkg-config modules the engine and platform_sdl link.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(VORNEK_PACKAGE_VERSION 0.1.0)
set(VORNEK_PLATFORM_MODULES sdl2 x11 freetype2 fontconfig epoxy libpng libjpeg zlib vorbisfile)
if(FLUIDSYNTH_FOUND)
  list(APPEND VORNEK_PLATFORM_MODULES fluidsynth)
endif()
set(VORNEK_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Vornek)

install(FILES engine/include/vornek/vornek.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vornek)
install(FILES $<TARGET_FILE:vornek> DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES $<TARGET_FILE:platform_sdl> DESTINATION ${CMAKE_INSTALL_LIBDIR} RENAME libvornek_sdl.a)

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
configure_file(cmake/vornek.pc.in ${CMAKE_CURRENT_BINARY_DIR}/vornek.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vornek.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
