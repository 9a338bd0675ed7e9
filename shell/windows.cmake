# Windows targets: the screen saver and, for the end-to-end suite under Wine, its fixtures.
enable_language(RC)

add_executable(vellumir WIN32
  shell/main_windows.cpp
  shell/application_windows.cpp
  shell/saver_form_windows.cpp
  shell/preview_windows.cpp
  shell/password_windows.cpp
  shell/opengl_loading_windows.cpp
  scene/pixel_format_windows.cpp
  shell/vellumir.rc)
set_target_properties(vellumir PROPERTIES SUFFIX ".scr")
# Nothing beyond Windows' own DLLs: the compiler's runtime is linked in. Two builds of one source
# give the same bytes: the header's time stamp stays zero rather than the time of linking. The
# release carries no debug data (the static runtime's would be half the file).
target_link_options(vellumir PRIVATE -static -Wl,--no-insert-timestamp $<$<CONFIG:Release,MinSizeRel>:-s>)
# A module imported the ordinary way that is not one of the system's KnownDLLs is looked for in
# the program's folder first, before any of our code runs, and OpenGL is such a module. Imported
# on first call instead, it is loaded after start-up has limited the search to the system folder.
set(opengl_delayed ${CMAKE_CURRENT_BINARY_DIR}/libopengl32_delayed.a)
# Named without a folder: dlltool writes the name into the saver's symbols.
add_custom_command(OUTPUT ${opengl_delayed}
  COMMAND ${CMAKE_DLLTOOL} --input-def ${CMAKE_CURRENT_SOURCE_DIR}/shell/opengl32.def --dllname opengl32.dll
          --output-delaylib libopengl32_delayed.a
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
  DEPENDS shell/opengl32.def)
add_custom_target(opengl32_delayed DEPENDS ${opengl_delayed})
add_dependencies(vellumir opengl32_delayed)
target_link_libraries(vellumir PRIVATE vellumir_animation vellumir_shell_logic ${opengl_delayed} gdi32 user32 advapi32 uuid)

# The project's version reaches the resources, the manifest, the installer and the file names.
configure_file(shell/vellumir.manifest.in vellumir.manifest @ONLY)
set_source_files_properties(shell/vellumir.rc PROPERTIES
  COMPILE_DEFINITIONS "VELLUMIR_VERSION_MAJOR=${PROJECT_VERSION_MAJOR};VELLUMIR_VERSION_MINOR=${PROJECT_VERSION_MINOR};VELLUMIR_VERSION_PATCH=${PROJECT_VERSION_PATCH}"
  INCLUDE_DIRECTORIES "${CMAKE_CURRENT_BINARY_DIR};${CMAKE_CURRENT_SOURCE_DIR}/packaging"
  OBJECT_DEPENDS "${CMAKE_CURRENT_BINARY_DIR}/vellumir.manifest;${CMAKE_CURRENT_SOURCE_DIR}/packaging/vellumir.ico")

include(packaging/installer.cmake)
if(BUILD_TESTING)
  add_subdirectory(tests/wine)
endif()
