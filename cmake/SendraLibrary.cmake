# One static library per folder, and headers that only the libraries linking it can see.
#
# sendra_add_library(<name> <folder> <source>...)
#   Builds sendra_<name> (alias sendra::<name>) from the sources, which are named relative to the
#   calling CMakeLists.txt, with the project's warnings. The headers directly in src/<folder>
#   (not those of its subfolders) become visible as "<folder>/<file>.h" to this library and to
#   whatever links it, and to nothing else: the library exports its own include folder in the
#   build tree, include/sendra_<name>/<folder>/, which holds a link to each of those headers.
#   Nothing exports src/ as a whole, so a target that includes a header of a library it does not
#   link fails to compile. A header added, moved or removed is picked up at the next build.
#
# A new library is one call and its links:
#   sendra_add_library(foo_ui foo/ui ui/foodialog.cpp)
#   target_link_libraries(sendra_foo_ui PUBLIC sendra::foo Qt6::Widgets)
# and its folder takes its place in the layer order of tests/layers/check_layers.cmake. A file
# moving between folders changes only the source lists of the two calls.
function(sendra_add_library name folder)
    add_library(sendra_${name} STATIC ${ARGN})
    add_library(sendra::${name} ALIAS sendra_${name})
    sendra_export_headers(sendra_${name} ${folder})
    sendra_set_warnings(sendra_${name})
endfunction()

function(sendra_export_headers target folder)
    set(root ${CMAKE_BINARY_DIR}/include/${target})
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.h)
    file(REMOVE_RECURSE ${root})
    file(MAKE_DIRECTORY ${root}/${folder})
    foreach(header IN LISTS headers)
        get_filename_component(file ${header} NAME)
        file(CREATE_LINK ${header} ${root}/${folder}/${file} SYMBOLIC)
    endforeach()
    target_include_directories(${target} PUBLIC ${root})
endfunction()
