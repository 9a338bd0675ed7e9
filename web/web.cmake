# The browser front end, built with Emscripten into build/web: the page, index.html and
# vellumir.js, the module embedded in the script, so it opens from disk with no server.

# The lattice's fixed arrays take 13.5 MiB; memory grows only when a larger lattice needs a
# larger vertex buffer.
set(module_options -sSINGLE_FILE=1 -sINITIAL_MEMORY=32MB -sALLOW_MEMORY_GROWTH=1)

add_library(vellumir_web_options STATIC web/page_parameters.cpp)
target_include_directories(vellumir_web_options PUBLIC ${CMAKE_SOURCE_DIR})

set(page_dir ${CMAKE_BINARY_DIR}/page)
set(page_exports _vellumir_read_parameter _vellumir_start _vellumir_compute _vellumir_fill_mesh
    _vellumir_vertex_count _vellumir_half_width _vellumir_lighting _vellumir_set_mode _vellumir_mode
    _vellumir_seed _vellumir_rows _vellumir_saver)
list(JOIN page_exports "," page_exports)
add_executable(vellumir-page web/main_web.cpp)
target_link_libraries(vellumir-page PRIVATE vellumir_animation vellumir_web_options)
set_target_properties(vellumir-page PROPERTIES OUTPUT_NAME vellumir SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${page_dir}
                      LINK_DEPENDS ${CMAKE_SOURCE_DIR}/web/page.js)
# The page reads no files and allocates only when the lattice grows: the smaller runtime will do.
target_link_options(vellumir-page PRIVATE ${module_options} -sENVIRONMENT=web -sFILESYSTEM=0 -sMALLOC=emmalloc
  -sEXPORTED_FUNCTIONS=${page_exports} -sEXPORTED_RUNTIME_METHODS=ccall
  --pre-js ${CMAKE_SOURCE_DIR}/web/page.js)
configure_file(web/index.html ${page_dir}/index.html COPYONLY)
