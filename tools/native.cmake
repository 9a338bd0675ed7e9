# Native Linux targets: the frame tool, the unit tests and the benchmarks.
find_package(PNG REQUIRED)
find_library(OSMESA_LIBRARY OSMesa REQUIRED)

add_library(vellumir_render_lib STATIC
  tools/render_options.cpp
  tools/pending_file.cpp
  tools/frame_dump.cpp
  tools/offscreen_render.cpp)
target_link_libraries(vellumir_render_lib PUBLIC vellumir_animation PNG::PNG ${OSMESA_LIBRARY})

add_executable(vellumir-render tools/vellumir_render.cpp)
target_link_libraries(vellumir-render PRIVATE vellumir_render_lib)
target_compile_definitions(vellumir-render PRIVATE VELLUMIR_VERSION="${PROJECT_VERSION}")

# Every frame's dump in one run, to hold the web build's arithmetic against (web/measure_exactness.mjs).
add_executable(vellumir-frame-dumps web/frame_dumps.cpp)
target_link_libraries(vellumir-frame-dumps PRIVATE vellumir_render_lib)

if(BUILD_TESTING)
  add_subdirectory(tests)
  add_subdirectory(bench)
endif()
include(x11/x11.cmake)
