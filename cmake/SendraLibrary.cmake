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
# and its folder takes its place in the layer order of tests/layers/check_layers.cmake, which
# checks the includes of src/ and the links of every library (SENDRA_FOLDER names its folder)
# against that order. A file moving between folders changes only the source lists of the calls.
function(sendra_add_library name folder)
    add_library(sendra_${name} STATIC ${ARGN})
    add_library(sendra::${name} ALIAS sendra_${name})
    set_target_properties(sendra_${name} PROPERTIES SENDRA_FOLDER ${folder})
    sendra_export_headers(sendra_${name} ${folder})
    sendra_set_warnings(sendra_${name})
endfunction()

# sendra_add_header_library(<name> <folder>)
#   The same for a folder of headers only (an INTERFACE library): sendra_<name> exports
#   include/sendra_<name>/<folder>/ to whatever links it.
function(sendra_add_header_library name folder)
    add_library(sendra_${name} INTERFACE)
    add_library(sendra::${name} ALIAS sendra_${name})
    set_target_properties(sendra_${name} PROPERTIES SENDRA_FOLDER ${folder})
    sendra_export_headers(sendra_${name} ${folder})
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
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${root})
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
endfunction()

# sendra_write_link_graph(<file>)
#   After every target of src/ is defined: writes, for each library of ours and the executable,
#   its folder, the libraries it links directly and everything it links in the end (what the
#   linker is handed, through every library in between), one target a line:
#     <target>|<folder>|<direct,...>|<all,...>
#   Our libraries appear as sendra_<name>, others by their CMake name (PkgConfig::GST, Qt6::Core).
#   tests/layers/check_layers.cmake holds these links against the layer order.
function(sendra_write_link_graph file)
    set(targets "")
    set(pending ${CMAKE_SOURCE_DIR}/src)
    while(pending)
        list(POP_FRONT pending dir)
        get_property(found DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
        list(APPEND targets ${found})
        get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
        list(APPEND pending ${subdirs})
    endwhile()
    set(lines "")
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(NOT type MATCHES "^(STATIC_LIBRARY|INTERFACE_LIBRARY|EXECUTABLE)$")
            continue()
        endif()
        get_target_property(folder ${target} SENDRA_FOLDER)
        if(NOT folder)
            set(folder "-")
        endif()
        _sendra_direct_links(${target} direct)
        set(all "")
        set(queue ${direct})
        while(queue)
            list(POP_FRONT queue dep)
            if(dep IN_LIST all)
                continue()
            endif()
            list(APPEND all ${dep})
            if(dep MATCHES "^sendra_")
                _sendra_direct_links(${dep} next)
                list(APPEND queue ${next})
            endif()
        endwhile()
        list(SORT all)
        string(JOIN "," directText ${direct})
        string(JOIN "," allText ${all})
        string(APPEND lines "${target}|${folder}|${directText}|${allText}\n")
    endforeach()
    file(WRITE ${file} "${lines}")
endfunction()

# The libraries `target` links directly, PUBLIC, PRIVATE or INTERFACE, aliases resolved.
function(_sendra_direct_links target out)
    get_target_property(type ${target} TYPE)
    set(raw "")
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
        get_target_property(own ${target} LINK_LIBRARIES)
        if(own)
            list(APPEND raw ${own})
        endif()
    endif()
    get_target_property(usage ${target} INTERFACE_LINK_LIBRARIES)
    if(usage)
        list(APPEND raw ${usage})
    endif()
    set(links "")
    foreach(item IN LISTS raw)
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
        if(item STREQUAL "" OR item MATCHES "^-|^\\$<")
            continue()
        endif()
        if(TARGET ${item})
            get_target_property(aliased ${item} ALIASED_TARGET)
            if(aliased)
                set(item ${aliased})
            endif()
        endif()
        list(APPEND links ${item})
    endforeach()
    list(REMOVE_DUPLICATES links)
    set(${out} ${links} PARENT_SCOPE)
endfunction()
