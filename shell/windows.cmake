# Windows targets: the screen saver and, for the end-to-end suite under Wine, its fixtures.
enable_language(RC)

add_executable(vellumir WIN32
  shell/main_windows.cpp
  shell/application_windows.cpp
  shell/saver_form_windows.cpp
  shell/preview_windows.cpp
  shell/password_windows.cpp
  shell/shell_logic.cpp
  scene/pixel_format_windows.cpp
  shell/vellumir.rc)
set_target_properties(vellumir PROPERTIES SUFFIX ".scr")
# Nothing beyond Windows' own DLLs: the compiler's runtime is linked in.
target_link_options(vellumir PRIVATE -static)
target_link_libraries(vellumir PRIVATE vellumir_animation opengl32 gdi32 user32 advapi32)

enable_testing()
add_subdirectory(tests/wine)
