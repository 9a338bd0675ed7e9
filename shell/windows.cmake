# Windows targets: the screen saver and, for the end-to-end suite under Wine, its fixtures.
enable_language(RC)

add_executable(vellumir WIN32
  shell/main_windows.cpp
  shell/application_windows.cpp
  shell/saver_form_windows.cpp
  shell/preview_windows.cpp
  shell/password_windows.cpp
  scene/pixel_format_windows.cpp
  shell/vellumir.rc)
set_target_properties(vellumir PROPERTIES SUFFIX ".scr")
# Nothing beyond Windows' own DLLs: the compiler's runtime is linked in.
target_link_options(vellumir PRIVATE -static)
target_link_libraries(vellumir PRIVATE vellumir_animation vellumir_shell_logic opengl32 gdi32 user32 advapi32 uuid)

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
