# vellumir: the native XScreenSaver hack (X11 + GLX) over the portable animation.
find_package(X11 REQUIRED)
find_package(OpenGL REQUIRED COMPONENTS OpenGL GLX)

add_executable(vellumir x11/main_x11.cpp x11/drawing_window_x11.cpp x11/frame_rate_x11.cpp)
target_link_libraries(vellumir PRIVATE vellumir_hack_logic vellumir_animation X11::X11 OpenGL::GLX OpenGL::OpenGL)
target_compile_definitions(vellumir PRIVATE VELLUMIR_VERSION="${PROJECT_VERSION}")

include(GNUInstallDirs)
install(TARGETS vellumir RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
install(FILES x11/vellumir.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
# The manual page names the version and where the program is installed.
configure_file(x11/vellumir.6x.in vellumir.6x @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vellumir.6x DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
# The entry through which desktop screen savers (MATE's) list it; it names the installed program.
configure_file(x11/vellumir.desktop.in vellumir.desktop @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vellumir.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications/screensavers)

if(BUILD_TESTING)
  add_subdirectory(tests/x11)
endif()
