# The frame tool's command line and state dump, which need no renderer, and vellumir-frame-dumps,
# the dump after every frame. The web tree builds it too, to run under Node with the browser's
# arithmetic: web/measure_exactness.mjs holds that build's dumps against the native one's.
add_library(vellumir_frame_dump STATIC tools/render_options.cpp tools/frame_dump.cpp)
target_link_libraries(vellumir_frame_dump PUBLIC vellumir_animation)

add_executable(vellumir-frame-dumps tools/frame_dumps.cpp)
target_link_libraries(vellumir-frame-dumps PRIVATE vellumir_frame_dump)
target_compile_definitions(vellumir-frame-dumps PRIVATE VELLUMIR_VERSION="${PROJECT_VERSION}")
if(EMSCRIPTEN)
  # vellumir-frame-dumps.js, for Node, reading and writing the real file system.
  set_target_properties(vellumir-frame-dumps PROPERTIES SUFFIX .js)
  target_link_options(vellumir-frame-dumps PRIVATE -sSINGLE_FILE=1 -sINITIAL_MEMORY=32MB -sALLOW_MEMORY_GROWTH=1
                      -sENVIRONMENT=node -sNODERAWFS=1)
endif()
