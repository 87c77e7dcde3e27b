cmake_minimum_required(VERSION 3.25)
# The layer order of src/, written down once, and the check that every #include and every link
# keeps it.
# Usage: cmake -DSOURCE_DIR=<checkout>/src [-DLINKS=<build>/layers/links.txt] -P check_layers.cmake
# (LINKS is the link graph that sendra_write_link_graph in cmake/SendraLibrary.cmake writes at
# configure time; ctest passes it.)
#
# Layers, lowest first. A file may include headers of its own folder and of folders in lower
# layers, and a library may link only libraries of lower layers. Folders that share a layer are
# siblings: neither includes nor links the other. A folder that is not listed here is an error,
# so a new folder takes its place in the order before it builds.
set(LAYERS
    # shared value types and the interfaces through which the logic reaches the system
    "platform"
    # adapters over the system, each behind those interfaces
    "platform/v4l2 platform/vendor"
    "platform/udev"
    "platform/gst"
    # the settings record and shared flags; widget helpers that know nothing of the program
    "state widgets"
    # what every feature of the main window is and reads (headers only), below the subsystems
    "feature"
    # the subsystems' logic
    "bridge scales camera camera/playback tools library imaging stack"
    "measure"
    # the window's controls by table identifier and the ports to the shell and the dialogs
    "feature/ui"
    # the subsystems' widgets and feature controllers
    "library/ui tools/ui stack/ui"
    "camera/ui"
    "camera/playback/ui measure/ui imaging/ui"
    "scales/ui"
    # the shell: its logic, its windows and composition root, and the executable's start-up,
    # the one place that creates the adapters
    "app"
    "app/ui"
    "app/main")

# System headers that only one folder (or one file) may include: header prefix, then the folder
# or the file allowed.
set(SYSTEM_HEADERS
    "gst/" "platform/gst"
    "libudev.h" "platform/udev"
    "linux/input.h" "platform/udev"
    "linux/videodev2.h" "platform/v4l2"
    "turbojpeg.h" "platform/jpegcodec.cpp"
    "opencv2/" "stack")

# System libraries that only one folder links directly: CMake target name prefix, then the folder.
set(SYSTEM_LIBRARIES
    "PkgConfig::GST" "platform/gst"
    "PkgConfig::UDEV" "platform/udev"
    "PkgConfig::TURBOJPEG" "platform"
    "opencv_" "stack")

# The adapters are reached through the interfaces in platform/; only the executable's composition
# root creates them. Adapter folder, then the only folders above it that may include it.
set(ADAPTER_USERS
    "platform/v4l2" "platform/udev platform/gst app/main"
    "platform/udev" "platform/gst app/main"
    "platform/vendor" "app/main"
    "platform/gst" "app/main")

if(NOT SOURCE_DIR OR NOT IS_DIRECTORY "${SOURCE_DIR}")
    message(FATAL_ERROR "check_layers: pass -DSOURCE_DIR=<checkout>/src")
endif()

set(index 0)
foreach(layer IN LISTS LAYERS)
    string(REPLACE " " ";" folders "${layer}")
    foreach(folder IN LISTS folders)
        set(LAYER_OF_${folder} ${index})
    endforeach()
    math(EXPR index "${index} + 1")
endforeach()

file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.h.in")
list(SORT files)
set(errors "")
set(count 0)
foreach(file IN LISTS files)
    get_filename_component(from "${file}" DIRECTORY)
    if(NOT DEFINED LAYER_OF_${from})
        string(APPEND errors "  src/${file}: folder ${from} has no place in the layer order (tests/layers/check_layers.cmake)\n")
        continue()
    endif()
    file(STRINGS "${SOURCE_DIR}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line IN LISTS lines)
        if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\"")
            set(header "${CMAKE_MATCH_1}")
            math(EXPR count "${count} + 1")
            if(header MATCHES "^\\.\\./")
                string(APPEND errors "  src/${file}: #include \"${header}\" climbs out of its folder; name it from src/\n")
                continue()
            endif()
            get_filename_component(to "${header}" DIRECTORY)
            if(to STREQUAL "" OR to STREQUAL from)
                continue()   # the folder's own header
            endif()
            set(adapters ${ADAPTER_USERS})
            while(adapters)
                list(POP_FRONT adapters adapter users)
                string(REPLACE " " ";" users "${users}")
                if(to STREQUAL adapter AND NOT from IN_LIST users)
                    string(APPEND errors "  src/${file}: #include \"${header}\" reaches an adapter; go through its interface in platform/\n")
                endif()
            endwhile()
            if(NOT DEFINED LAYER_OF_${to})
                string(APPEND errors "  src/${file}: #include \"${header}\": folder ${to} has no place in the layer order\n")
            elseif(NOT LAYER_OF_${to} LESS LAYER_OF_${from})
                if(LAYER_OF_${to} EQUAL LAYER_OF_${from})
                    set(why "sideways: ${from} and ${to} share a layer")
                else()
                    set(why "upwards: ${from} is below ${to}")
                endif()
                string(APPEND errors "  src/${file}: #include \"${header}\" runs ${why}\n")
            endif()
        elseif(line MATCHES "^[ \t]*#[ \t]*include[ \t]*<([^>]+)>")
            set(header "${CMAKE_MATCH_1}")
            set(rules ${SYSTEM_HEADERS})
            while(rules)
                list(POP_FRONT rules prefix allowed)
                string(LENGTH "${prefix}" length)
                string(SUBSTRING "${header}" 0 ${length} start)
                if(start STREQUAL prefix AND NOT from STREQUAL allowed AND NOT file STREQUAL allowed)
                    string(APPEND errors "  src/${file}: #include <${header}> belongs in ${allowed} only\n")
                endif()
            endwhile()
        endif()
    endforeach()
endforeach()

# The links: every library of src/ and the executable, as CMake hands them to the linker.
set(linkErrors "")
set(libraryCount 0)
if(LINKS)
    file(STRINGS "${LINKS}" graph)
    foreach(line IN LISTS graph)
        string(REPLACE "|" ";" fields "${line}")
        list(LENGTH fields n)
        while(n LESS 4)
            list(APPEND fields "")
            math(EXPR n "${n} + 1")
        endwhile()
        list(GET fields 0 target)
        list(GET fields 1 folder)
        set(FOLDER_OF_${target} "${folder}")
        list(GET fields 2 direct)
        list(GET fields 3 all)
        string(REPLACE "," ";" DIRECT_OF_${target} "${direct}")
        string(REPLACE "," ";" ALL_OF_${target} "${all}")
        list(APPEND targets ${target})
    endforeach()
    foreach(target IN LISTS targets)
        set(from "${FOLDER_OF_${target}}")
        if(from STREQUAL "-")
            string(APPEND linkErrors "  ${target}: not built by sendra_add_library, so it has no folder\n")
            continue()
        endif()
        math(EXPR libraryCount "${libraryCount} + 1")
        if(NOT DEFINED LAYER_OF_${from})
            string(APPEND linkErrors "  ${target}: folder ${from} has no place in the layer order\n")
            continue()
        endif()
        foreach(dep IN LISTS DIRECT_OF_${target})
            if(DEFINED FOLDER_OF_${dep})
                set(to "${FOLDER_OF_${dep}}")
                if(to STREQUAL from OR NOT DEFINED LAYER_OF_${to})
                    continue()
                endif()
                if(NOT LAYER_OF_${to} LESS LAYER_OF_${from})
                    if(LAYER_OF_${to} EQUAL LAYER_OF_${from})
                        set(why "sideways: ${from} and ${to} share a layer")
                    else()
                        set(why "upwards: ${from} is below ${to}")
                    endif()
                    string(APPEND linkErrors "  ${target} links ${dep}: runs ${why}\n")
                endif()
            else()
                set(rules ${SYSTEM_LIBRARIES})
                while(rules)
                    list(POP_FRONT rules prefix allowed)
                    string(FIND "${dep}" "${prefix}" at)
                    if(at EQUAL 0 AND NOT from STREQUAL allowed)
                        string(APPEND linkErrors "  ${target} links ${dep}: only ${allowed} links it\n")
                    endif()
                endwhile()
            endif()
        endforeach()
        # An adapter, or a system library behind one, reaches the linker of this library only
        # when its folder may use that adapter: through however many libraries in between.
        foreach(dep IN LISTS ALL_OF_${target})
            set(to "")
            if(DEFINED FOLDER_OF_${dep})
                set(to "${FOLDER_OF_${dep}}")
            else()
                set(rules ${SYSTEM_LIBRARIES})
                while(rules)
                    list(POP_FRONT rules prefix allowed)
                    string(FIND "${dep}" "${prefix}" at)
                    if(at EQUAL 0)
                        set(to "${allowed}")
                    endif()
                endwhile()
            endif()
            set(adapters ${ADAPTER_USERS})
            while(adapters)
                list(POP_FRONT adapters adapter users)
                string(REPLACE " " ";" users "${users}")
                if(to STREQUAL adapter AND NOT from STREQUAL adapter AND NOT from IN_LIST users)
                    string(APPEND linkErrors "  ${target} links ${dep} (of ${adapter}): only ${adapter} and its users link an adapter\n")
                endif()
            endwhile()
        endforeach()
    endforeach()
endif()

if(errors OR linkErrors)
    set(report "")
    if(errors)
        string(APPEND report "Includes that break the layer order:\n${errors}")
    endif()
    if(linkErrors)
        string(APPEND report "Links that break the layer order:\n${linkErrors}")
    endif()
    message(FATAL_ERROR "${report}")
endif()
list(LENGTH files fileCount)
message(STATUS "check_layers: ${count} includes in ${fileCount} files keep the layer order")
if(LINKS)
    set(withGst "")
    foreach(target IN LISTS targets)
        if("PkgConfig::GST" IN_LIST ALL_OF_${target})
            list(APPEND withGst ${target})
        endif()
    endforeach()
    string(REPLACE ";" " " withGst "${withGst}")
    message(STATUS "check_layers: the links of ${libraryCount} targets keep the layer order; GStreamer reaches only ${withGst}")
endif()
