# Native Linux: the frame tool over Mesa's offscreen renderer.
find_package(PNG REQUIRED)
find_library(OSMESA_LIBRARY OSMesa REQUIRED)

add_library(vellumir_render_lib STATIC
  tools/pending_file.cpp
  tools/offscreen_render.cpp)
target_link_libraries(vellumir_render_lib PUBLIC vellumir_frame_dump PNG::PNG ${OSMESA_LIBRARY})

add_executable(vellumir-render tools/vellumir_render.cpp)
target_link_libraries(vellumir-render PRIVATE vellumir_render_lib)
target_compile_definitions(vellumir-render PRIVATE VELLUMIR_VERSION="${PROJECT_VERSION}")
