# vellumir-wayland: the saver of Wayland desktops (layer shell or full-screen toplevel per
# output, EGL) over the portable animation.
# wayland-scanner's glue is C.
enable_language(C)
find_package(PkgConfig REQUIRED)
pkg_check_modules(WAYLAND REQUIRED IMPORTED_TARGET wayland-client wayland-egl libsystemd)
pkg_get_variable(WAYLAND_SCANNER wayland-scanner wayland_scanner)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
find_package(OpenGL REQUIRED COMPONENTS OpenGL EGL)
if(NOT WAYLAND_SCANNER OR NOT WAYLAND_PROTOCOLS_DIR)
  message(FATAL_ERROR "vellumir-wayland needs wayland-scanner (libwayland-bin) and wayland-protocols")
endif()

# Each protocol's client header and glue, generated at build time from its description:
# Debian's for the standard ones, our own for those Debian does not ship.
set(wayland_protocol_files
  ${WAYLAND_PROTOCOLS_DIR}/stable/xdg-shell/xdg-shell.xml
  ${WAYLAND_PROTOCOLS_DIR}/stable/viewporter/viewporter.xml
  ${WAYLAND_PROTOCOLS_DIR}/staging/fractional-scale/fractional-scale-v1.xml
  ${WAYLAND_PROTOCOLS_DIR}/staging/ext-idle-notify/ext-idle-notify-v1.xml
  ${WAYLAND_PROTOCOLS_DIR}/unstable/xdg-output/xdg-output-unstable-v1.xml
  ${CMAKE_CURRENT_SOURCE_DIR}/wayland/protocols/wlr-layer-shell-unstable-v1.xml
  ${CMAKE_CURRENT_SOURCE_DIR}/wayland/protocols/kde-idle.xml)
set(wayland_generated_dir ${CMAKE_CURRENT_BINARY_DIR}/wayland-protocols)
set(wayland_protocol_sources)
foreach(xml ${wayland_protocol_files})
  get_filename_component(protocol ${xml} NAME_WE)
  set(header ${wayland_generated_dir}/${protocol}-client-protocol.h)
  set(glue ${wayland_generated_dir}/${protocol}-protocol.c)
  add_custom_command(OUTPUT ${header} ${glue}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${wayland_generated_dir}
    COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${header}
    COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${glue}
    DEPENDS ${xml} VERBATIM)
  list(APPEND wayland_protocol_sources ${header} ${glue})
endforeach()

# The saver's portable decisions, which the unit tests reach too.
add_library(vellumir_wayland_logic STATIC wayland/saver_logic.cpp)
target_include_directories(vellumir_wayland_logic PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})

add_executable(vellumir-wayland
  wayland/main_wayland.cpp
  wayland/screens_wayland.cpp
  wayland/input_wayland.cpp
  wayland/idle_wayland.cpp
  wayland/egl_wayland.cpp
  wayland/stop_signals.cpp
  ${wayland_protocol_sources})
target_include_directories(vellumir-wayland PRIVATE ${wayland_generated_dir})
target_link_libraries(vellumir-wayland PRIVATE vellumir_wayland_logic vellumir_hack_logic vellumir_animation PkgConfig::WAYLAND OpenGL::EGL OpenGL::OpenGL)
target_compile_definitions(vellumir-wayland PRIVATE VELLUMIR_VERSION="${PROJECT_VERSION}")

include(GNUInstallDirs)
install(TARGETS vellumir-wayland RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The manual page names the version.
configure_file(wayland/vellumir-wayland.6.in vellumir-wayland.6 @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vellumir-wayland.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

if(BUILD_TESTING)
  add_subdirectory(tests/wayland)
endif()
