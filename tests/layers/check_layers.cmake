cmake_minimum_required(VERSION 3.25)
# The layer order of src/, written down once, and the check that every #include keeps it.
# Usage: cmake -DSOURCE_DIR=<checkout>/src -P check_layers.cmake
#
# Layers, lowest first. A file may include headers of its own folder and of folders in lower
# layers. Folders that share a layer are siblings: neither includes the other. A folder that is
# not listed here is an error, so a new folder takes its place in the order before it builds.
set(LAYERS
    # shared value types and the interfaces through which the logic reaches the system
    "platform"
    # adapters over the system, each behind those interfaces
    "platform/v4l2 platform/vendor"
    "platform/udev"
    "platform/gst"
    # the settings record and shared flags; widget helpers that know nothing of the program
    "state widgets"
    # the subsystems' logic
    "bridge scales camera camera/playback tools library imaging"
    "measure"
    # the subsystems' widgets
    "camera/ui library/ui tools/ui measure/ui imaging/ui"
    "camera/playback/ui scales/ui"
    # the shell: its logic, its windows and controllers, and the executable's composition root
    "app"
    "app/ui"
    "app/main")

# System headers that only an adapter may include: header prefix, then the one folder allowed.
set(SYSTEM_HEADERS
    "gst/" "platform/gst"
    "libudev.h" "platform/udev"
    "linux/input.h" "platform/udev"
    "linux/videodev2.h" "platform/v4l2")

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
                if(start STREQUAL prefix AND NOT from STREQUAL allowed)
                    string(APPEND errors "  src/${file}: #include <${header}> belongs in ${allowed} only\n")
                endif()
            endwhile()
        endif()
    endforeach()
endforeach()

if(errors)
    message(FATAL_ERROR "Includes that break the layer order:\n${errors}")
endif()
list(LENGTH files fileCount)
message(STATUS "check_layers: ${count} includes in ${fileCount} files keep the layer order")
